#pragma once
// A dense n x n system that records what is put into it: the reference the
// sparse results are compared with, and a recording stand-in for a solver.
#include <complex>
#include <sparse/ISolver.h>
#include <vector>

template <typename T>
class DenseReference final : public sparse::ISolver<T, int>
{
public:
    explicit DenseReference(int n)
        : n(n)
        , a(size_t(n * n))
        , rhs(size_t(n))
    {
    }

    T& at(int row, int col) { return a[size_t(row * n + col)]; }

    // b := A x.
    std::vector<T> multiply(const std::vector<T>& x) const
    {
        std::vector<T> b(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                b[size_t(i)] += a[size_t(i * n + j)] * x[size_t(j)];
        return b;
    }

    void put(int row, int col, T value) override { at(row, col) += value; }
    void putRHS(int row, T value) override { rhs[size_t(row)] += value; }
    void reset() override
    {
        a.assign(a.size(), T());
        rhs.assign(rhs.size(), T());
    }
    // Recording only: the operations below are not used on a reference.
    const T* solutionValue(int) const override { return nullptr; }
    bool analyse() override { return false; }
    bool factorise() override { return false; }
    bool solve() override { return false; }
    bool solve(const T*, T*) override { return false; }
    void release() override {}

    int n;
    std::vector<T> a; // row-major
    std::vector<T> rhs;
};
