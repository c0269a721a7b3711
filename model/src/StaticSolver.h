#pragma once
// A static model: real or complex values, one solve at a time.
#include "BaseModel.h"

template <typename T>
class StaticSolver : public BaseModel<T, sc::IStatic>, public sc::IStatic
{
public:
    using BaseModel<T, sc::IStatic>::BaseModel;

    sc::IStatic* getSolverInterface() override { return this; }
    sc::Solution solve() override { return this->solver().solve(); }
};
