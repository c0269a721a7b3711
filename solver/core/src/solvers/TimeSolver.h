#pragma once
// What the two integrators share over the solver kind they build on (Base):
// the step, kept by the solver and written into the model's dT parameter,
// which the equations read; the time parameter; stepping; and the frame of
// a range run (its checks, repetitions and the points handed to the
// consumer). An integrator says how it takes one step.
#include <solvers/Solver.h>
#include <sc/ISolver.h>

namespace SL_NS
{
template <class Base>
class TimeSolver : public Base, public sc::ITime
{
public:
    // A run in steps of dT from t0 towards t1 (t0 >= t1: until stopped),
    // every n-th point to the consumer; repeated while the model asks.
    bool solve(double t0, double dT, double t1, sc::ISolutionBuffer* pConsumer, int n) override;
    // n steps from the time the time parameter holds.
    sc::Solution step(unsigned n) override;
    double getIntegrationStepSize() const override { return _dT; }
    void setIntegrationStepSize(double dT) override;
    void stop() override { _run = false; }
    sc::ITime* getITime() override { return this; }
    void setTimes(double t, double dT) override;

protected:
    // What a reset or a range run leaves as the obtained precision.
    static constexpr double notSolved = 1.7976931348623156e306;

    // The step before a model or a call sets one; the message of a range
    // run's step that is not positive.
    template <typename... BaseArgs>
    TimeSolver(double dT, const char* wrongStepKey, BaseArgs... baseArgs)
        : Base(baseArgs...)
        , _dT(dT)
        , _wrongStepKey(wrongStepKey)
    {
    }

    // A model read: a positive step that it declares (dT = 0.01 among its
    // parameters) becomes the solver's; otherwise dT takes the solver's.
    void takeModelStep();
    // Logs when no model was read.
    bool hasModel() const;
    // A model, and a positive step to run it with; logged when not.
    bool readyToRun() const;
    Value& time() { return this->_pParams[this->_indexOfTParam]; }

    // Before each repetition of a range run, once the consumer, the step and
    // _run are set: the time and the counters at t0.
    virtual void startRange(double t0, unsigned repetition) = 0;
    // Whether a range run to t1 that has not been stopped steps from t.
    virtual bool stepsFrom(double t, double t1) const = 0;
    // Step k of a range run from t0, after which the time is t0 + k dT.
    virtual sc::Solution rangeStep(double t0, unsigned k) = 0;
    // Step k of step(n), from the time t0 it started at.
    virtual sc::Solution stepFrom(const Value& t0, unsigned k) = 0;

    double _dT;
    bool _run = false;

private:
    // The points of one repetition; false when a step failed.
    bool runRange(double t0, double t1, int n);

    const char* _wrongStepKey;
};
} // namespace SL_NS
