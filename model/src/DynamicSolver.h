#pragma once
// A dynamic model: real values, stepped through time from a start.
#include "BaseModel.h"

class DynamicSolver : public BaseModel<double, sc::IDynamic>, public sc::IDynamic
{
public:
    using BaseModel<double, sc::IDynamic>::BaseModel;

    sc::IDynamic* getSolverInterface() override { return this; }
    bool reset(double t0) override { return solver().reset(t0); }
    sc::Solution step(int nSteps) override
    {
        if (nSteps < 0)
        {
            logError("Negative number of steps!");
            return sc::Solution::SolutionError;
        }
        return solver().step(unsigned(nSteps));
    }
    double getStepSize() const override { return solver().getIntegrationStepSize(); }
    void setStepSize(double dT) override { solver().setIntegrationStepSize(dT); }
};
