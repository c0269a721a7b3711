#pragma once
// The Butcher tableau of an implicit Runge-Kutta method with at most N
// stages: the stage matrix A (a_ij, i the stage being computed, j the stage
// whose slope it uses), the weights b and the nodes c.
#include <matrix/SmallStackMax.h>

namespace matrix
{
template <int N>
class Butcher
{
public:
    // Sets the number of stages s (1..N) and zeroes A (s x s), b and c.
    void setNoOfStages(int nStages)
    {
        MU_ASSERT(nStages >= 1 && nStages <= N);
        _nStages = nStages;
        _A.clear();
        _A.resize(nStages * nStages);
        _b.clear();
        _b.resize(nStages);
        _c.clear();
        _c.resize(nStages);
    }

    int getNoOfStages() const { return _nStages; }

    // A is stored by columns: a_ij sits at j * s + i.
    double& a(int i, int j) { return _A[index(i, j)]; }
    double a(int i, int j) const { return _A[index(i, j)]; }
    double& b(int j) { return _b[j]; }
    double b(int j) const { return _b[j]; }
    double& c(int i) { return _c[i]; }
    double c(int i) const { return _c[i]; }

    const SmallStackMax<double, N * N>& getA() const { return _A; }
    const SmallStackMax<double, N>& getB() const { return _b; }
    const SmallStackMax<double, N>& getC() const { return _c; }

private:
    int index(int i, int j) const
    {
        MU_ASSERT(i >= 0 && i < _nStages && j >= 0 && j < _nStages);
        return j * _nStages + i;
    }

    SmallStackMax<double, N * N> _A;
    SmallStackMax<double, N> _b;
    SmallStackMax<double, N> _c;
    int _nStages = 0;
};
} // namespace matrix
