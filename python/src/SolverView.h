#pragma once
// The Python IStatic and IDynamic: a view of a model's solver side. The
// model detaches it when it is released, so a view kept longer raises
// instead of reaching freed memory.
#include <stdexcept>

namespace quenda
{
inline constexpr const char* releasedModel = "The model has been released";

template <typename X>
class SolverView
{
public:
    X& side() const
    {
        if (!_pSide)
            throw std::runtime_error(releasedModel);
        return *_pSide;
    }
    void attach(X* pSide) { _pSide = pSide; }

private:
    X* _pSide = nullptr;
};
} // namespace quenda
