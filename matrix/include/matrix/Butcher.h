#pragma once
// The Butcher tableau of an implicit Runge-Kutta method with at most N
// stages: the stage matrix A (a_ij, i the stage being computed, j the stage
// whose slope it uses), the weights b and the nodes c.
#include <matrix/SmallStackMax.h>

#include <cmath>
#include <utility>

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

    // The weights d = b^T A^-1 of the stage values: for a method whose A is
    // invertible (a collocation method), x_new = x_old + sum d_j (X_j - x_old)
    // where X_j are the stage values, the same as x_old + h sum b_j f_j.
    // False for a singular A. Gaussian elimination with partial pivoting
    // on A^T d = b.
    bool getStageValueWeights(SmallStackMax<double, N>& d) const
    {
        const int s = _nStages;
        double m[N][N + 1];
        for (int i = 0; i < s; ++i)
        {
            for (int j = 0; j < s; ++j)
                m[i][j] = a(j, i);
            m[i][s] = b(i);
        }
        for (int k = 0; k < s; ++k)
        {
            int pivot = k;
            for (int i = k + 1; i < s; ++i)
                if (std::fabs(m[i][k]) > std::fabs(m[pivot][k]))
                    pivot = i;
            if (!(std::fabs(m[pivot][k]) > 0))
                return false;
            for (int j = k; j <= s; ++j)
                std::swap(m[k][j], m[pivot][j]);
            for (int i = k + 1; i < s; ++i)
            {
                const double f = m[i][k] / m[k][k];
                for (int j = k; j <= s; ++j)
                    m[i][j] -= f * m[k][j];
            }
        }
        d.clear();
        d.resize(s);
        for (int i = s - 1; i >= 0; --i)
        {
            double v = m[i][s];
            for (int j = i + 1; j < s; ++j)
                v -= m[i][j] * d[j];
            d[i] = v / m[i][i];
        }
        return true;
    }

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
