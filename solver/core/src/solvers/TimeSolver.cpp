#include <solvers/TimeSolver.h>
#include <solvers/NRSolver.h>

#include <cfloat>

namespace SL_NS
{
template <class Base>
void TimeSolver<Base>::takeModelStep()
{
    Value& parameter = this->_pParams[this->_indexOfDeltaTParam];
    const double declared = std::real(parameter);
    if (declared > 0)
        _dT = declared;
    else
        parameter = _dT;
    this->_modelRead = true;
}

template <class Base>
bool TimeSolver<Base>::hasModel() const
{
    if (this->_modelRead)
        return true;
    this->translateAndAddLog("@SC.NoModelToSolve");
    return false;
}

template <class Base>
bool TimeSolver<Base>::readyToRun() const
{
    if (!hasModel())
        return false;
    if (_dT > 0)
        return true;
    this->translateAndAddLog("@SC.ZeroOrNegDeltaT");
    return false;
}

template <class Base>
void TimeSolver<Base>::setIntegrationStepSize(double dT)
{
    _dT = dT;
    if (this->_modelRead)
        this->_pParams[this->_indexOfDeltaTParam] = dT;
}

template <class Base>
void TimeSolver<Base>::setTimes(double t, double dT)
{
    if (!hasModel())
        return;
    time() = t;
    this->_pParams[this->_indexOfDeltaTParam] = dT;
}

template <class Base>
sc::Solution TimeSolver<Base>::step(unsigned n)
{
    if (n == 0)
        return sc::Solution::OK;
    if (!hasModel())
        return sc::Solution::SolutionError;
    const Value t0 = time();
    for (unsigned k = 1; k <= n; ++k)
        if (stepFrom(t0, k) != sc::Solution::OK)
            return sc::Solution::SolutionError;
    return sc::Solution::OK;
}

template <class Base>
bool TimeSolver<Base>::runRange(double t0, double t1, int n)
{
    int counter = 0;
    double t = t0;
    for (unsigned k = 1; _run || stepsFrom(t, t1); ++k)
    {
        const sc::Solution status = rangeStep(t0, k);
        t = t0 + double(k) * _dT;
        if (this->_pResults)
        {
            this->_pResults->time = t;
            this->_pResults->status = status;
        }
        if (status != sc::Solution::OK)
        {
            this->_pConsumer->end(sc::ISolutionBuffer::Failed);
            return false;
        }
        if (++counter >= n)
        {
            this->_pConsumer->put();
            counter = 0;
        }
    }
    return true;
}

template <class Base>
bool TimeSolver<Base>::solve(double t0, double dT, double t1, sc::ISolutionBuffer* pConsumer, int n)
{
    this->setEmbeddedParam(sc::EmbeddedParam::StartT, t0);
    this->setEmbeddedParam(sc::EmbeddedParam::EndT, t1);
    this->_obtainedPrecision = notSolved;
    this->_successfulRepetitions = 0;
    if (!(dT > 0))
    {
        this->translateAndAddLog(_wrongStepKey);
        return false;
    }
    if (!pConsumer)
    {
        this->translateAndAddLog("@SC.NoConsumer");
        return false;
    }
    if (!hasModel())
        return false;
    const bool untilStopped = t0 >= t1;
    for (unsigned repetition = 0;; ++repetition)
    {
        this->_pConsumer = pConsumer;
        _dT = dT;
        _run = untilStopped;
        startRange(t0, repetition);
        if (!runRange(t0, t1, n))
            return false;
        if (untilStopped || this->_status != sc::Solution::OK)
            break;
        ++this->_successfulRepetitions;
        if (!this->evalueateRepeats() || !this->repetitionAllowed(repetition + 1))
            break;
    }
    pConsumer->end(sc::ISolutionBuffer::Finished);
    return true;
}

template class TimeSolver<Solver>;
template class TimeSolver<NRSolver>;
} // namespace SL_NS
