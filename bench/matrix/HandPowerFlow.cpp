// A Newton power flow written by hand on the bus admittance matrix: the polar
// mismatch and its Jacobian computed directly from Y in CSR form, the
// Jacobian's values written through a position map into KLU's CSC arrays, one
// KLU analysis and a refactorisation per iteration. It is the floor that a
// compiled model of the same equations is measured against: f, J,
// refactorisation + solve of one iteration (at the solution point, where the
// angles are not zero), the first solve (analysis included) and a solve again
// with the analysis and the factors kept.
//
// The grids are read from the text files that bench/powerflow.py writes from
// the workplace's grid.npz into the folder named by POWERFLOW_GRIDS.
#include <benchmark/benchmark.h>
#include <klu.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace
{
using Complex = std::complex<double>;

const char* const s_cases[] = {"case118", "case2869pegase", "case9241pegase"};
constexpr int s_maxIterations = 20;
constexpr double s_tolerance = 1e-8;

// The grid as bench/powerflow.py writes it:
//   n nnz npv npq
//   n + 1 row starts of Y, then nnz lines "column re im"
//   n lines "S.re S.im V0.re V0.im Vref.re Vref.im"
//   the npv PV buses, then the npq PQ buses
struct Grid
{
    int n = 0;
    std::vector<int> rowStart, column;
    std::vector<Complex> y, s, v0, reference;
    std::vector<int> pv, pq;

    bool read(const std::string& path)
    {
        std::ifstream in(path);
        std::size_t nnz = 0, npv = 0, npq = 0;
        if (!(in >> n >> nnz >> npv >> npq) || n <= 0 || nnz > std::size_t(n) * std::size_t(n))
            return false;
        const auto buses = std::size_t(n);
        rowStart.resize(buses + 1);
        column.resize(nnz);
        y.resize(nnz);
        s.resize(buses);
        v0.resize(buses);
        reference.resize(buses);
        pv.resize(npv);
        pq.resize(npq);
        for (int& r : rowStart)
            in >> r;
        for (std::size_t k = 0; k < nnz; ++k)
        {
            in >> column[k];
            y[k] = complexFrom(in);
        }
        return readRest(in) && isConsistent();
    }

private:
    static Complex complexFrom(std::istream& in)
    {
        double re = 0, im = 0;
        in >> re >> im;
        return {re, im};
    }

    bool readRest(std::istream& in)
    {
        for (std::size_t i = 0; i < s.size(); ++i)
        {
            s[i] = complexFrom(in);
            v0[i] = complexFrom(in);
            reference[i] = complexFrom(in);
        }
        for (int& b : pv)
            in >> b;
        for (int& b : pq)
            in >> b;
        return bool(in);
    }

    // Rows in range, sorted, each with its diagonal: the Jacobian's diagonal
    // terms are written there.
    bool isConsistent() const
    {
        if (rowStart.front() != 0 || std::size_t(rowStart.back()) != column.size() ||
            !std::is_sorted(rowStart.begin(), rowStart.end()))
            return false;
        for (int i = 0; i < n; ++i)
        {
            bool diagonal = false;
            for (int k = rowStart[std::size_t(i)]; k < rowStart[std::size_t(i) + 1]; ++k)
            {
                const int j = column[std::size_t(k)];
                if (j < 0 || j >= n || (k > rowStart[std::size_t(i)] && column[std::size_t(k) - 1] >= j))
                    return false;
                diagonal |= j == i;
            }
            if (!diagonal)
                return false;
        }
        auto inRange = [this](int b) { return b >= 0 && b < n; };
        return std::all_of(pv.begin(), pv.end(), inRange) && std::all_of(pq.begin(), pq.end(), inRange);
    }
};

// Unknowns: the angles of the PV and PQ buses, then the magnitudes of the PQ
// buses; equations in the same order (P balances, then Q balances).
class Newton
{
public:
    explicit Newton(const Grid& grid)
        : _g(grid)
    {
        const auto buses = std::size_t(grid.n);
        _angleIndex.assign(buses, -1);
        _magnitudeIndex.assign(buses, -1);
        for (int b : grid.pv)
            _angleIndex[std::size_t(b)] = _size++;
        for (int b : grid.pq)
            _angleIndex[std::size_t(b)] = _size++;
        for (int b : grid.pq)
            _magnitudeIndex[std::size_t(b)] = _size++;
        _angle.resize(buses);
        _magnitude.resize(buses);
        _v.resize(buses);
        _unit.resize(buses);
        _current.resize(buses);
        _f.resize(std::size_t(_size));
        _dx.resize(std::size_t(_size));
        buildPattern();
        klu_defaults(&_common);
    }

    ~Newton() { forgetAnalysis(); }
    Newton(const Newton&) = delete;
    Newton& operator=(const Newton&) = delete;

    void setVoltages(const std::vector<Complex>& v)
    {
        for (std::size_t i = 0; i < v.size(); ++i)
        {
            _angle[i] = std::arg(v[i]);
            _magnitude[i] = std::abs(v[i]);
        }
    }

    // f: the voltages from the polar unknowns, the currents Y V and the
    // mismatch V conj(I) - S; returns its largest magnitude.
    double mismatch()
    {
        for (std::size_t i = 0; i < _v.size(); ++i)
        {
            _unit[i] = std::polar(1.0, _angle[i]);
            _v[i] = _magnitude[i] * _unit[i];
        }
        double largest = 0;
        for (std::size_t i = 0; i < _v.size(); ++i)
        {
            Complex current = 0;
            for (auto k = std::size_t(_g.rowStart[i]); k < std::size_t(_g.rowStart[i + 1]); ++k)
                current += _g.y[k] * _v[std::size_t(_g.column[k])];
            _current[i] = current;
            const Complex m = _v[i] * std::conj(current) - _g.s[i];
            if (_angleIndex[i] >= 0)
                largest = std::max(largest, std::fabs(_f[std::size_t(_angleIndex[i])] = m.real()));
            if (_magnitudeIndex[i] >= 0)
                largest = std::max(largest, std::fabs(_f[std::size_t(_magnitudeIndex[i])] = m.imag()));
        }
        return largest;
    }

    // J from the voltages and currents of the last mismatch, written into
    // KLU's value array; entries of the slack's rows or columns go to a
    // spare place past the end.
    void jacobian()
    {
        for (std::size_t i = 0; i < _v.size(); ++i)
        {
            const Complex vi = _v[i];
            for (auto k = std::size_t(_g.rowStart[i]); k < std::size_t(_g.rowStart[i + 1]); ++k)
            {
                const auto j = std::size_t(_g.column[k]);
                // dS/dangle = j V_i conj(delta_ij I_i - y V_j), dS/d|V| = V_i conj(y V_j/|V_j|) + delta_ij conj(I_i) V_i/|V_i|
                Complex dAngle = Complex(0, -1) * vi * std::conj(_g.y[k] * _v[j]);
                Complex dMagnitude = vi * std::conj(_g.y[k] * _unit[j]);
                if (j == i)
                {
                    dAngle += Complex(0, 1) * vi * std::conj(_current[i]);
                    dMagnitude += std::conj(_current[i]) * _unit[i];
                }
                const int* at = &_position[4 * k];
                _ax[std::size_t(at[0])] = dAngle.real();
                _ax[std::size_t(at[1])] = dMagnitude.real();
                _ax[std::size_t(at[2])] = dAngle.imag();
                _ax[std::size_t(at[3])] = dMagnitude.imag();
            }
        }
    }

    // The step J dx = f, factorising the first time after an analysis and
    // refactorising on the kept pivot order afterwards.
    bool refactoriseAndSolve()
    {
        if (!_symbolic && !(_symbolic = klu_analyze(_size, _ap.data(), _ai.data(), &_common)))
            return false;
        if (!_numeric)
            _numeric = klu_factor(_ap.data(), _ai.data(), _ax.data(), _symbolic, &_common);
        else if (!klu_refactor(_ap.data(), _ai.data(), _ax.data(), _symbolic, _numeric, &_common))
            return false;
        if (!_numeric)
            return false;
        std::copy(_f.begin(), _f.end(), _dx.begin());
        return klu_solve(_symbolic, _numeric, _size, 1, _dx.data(), &_common) != 0;
    }

    void step()
    {
        for (std::size_t i = 0; i < _v.size(); ++i)
        {
            if (_angleIndex[i] >= 0)
                _angle[i] -= _dx[std::size_t(_angleIndex[i])];
            if (_magnitudeIndex[i] >= 0)
                _magnitude[i] -= _dx[std::size_t(_magnitudeIndex[i])];
        }
    }

    // The iterations to convergence from the grid's start, or -1.
    int solve()
    {
        setVoltages(_g.v0);
        double largest = mismatch();
        for (int iteration = 1; iteration <= s_maxIterations; ++iteration)
        {
            jacobian();
            if (!refactoriseAndSolve())
                return -1;
            step();
            largest = mismatch();
            if (largest < s_tolerance)
                return iteration;
        }
        return -1;
    }

    void forgetAnalysis()
    {
        if (_numeric)
            klu_free_numeric(&_numeric, &_common);
        if (_symbolic)
            klu_free_symbolic(&_symbolic, &_common);
    }

    double errorAgainstReference() const
    {
        double largest = 0;
        for (std::size_t i = 0; i < _v.size(); ++i)
            largest = std::max(largest, std::abs(_v[i] - _g.reference[i]));
        return largest;
    }

private:
    // The CSC pattern of J and, for each entry of Y, the places of its four
    // derivatives (d P/d angle, d P/d |V|, d Q/d angle, d Q/d |V|).
    void buildPattern()
    {
        struct Entry
        {
            int row, col;
            std::size_t slot;
        };
        std::vector<Entry> entries;
        const std::size_t nnz = _g.y.size();
        for (std::size_t i = 0; i < _v.size(); ++i)
            for (auto k = std::size_t(_g.rowStart[i]); k < std::size_t(_g.rowStart[i + 1]); ++k)
            {
                const auto j = std::size_t(_g.column[k]);
                const int rows[2] = {_angleIndex[i], _magnitudeIndex[i]};
                const int cols[2] = {_angleIndex[j], _magnitudeIndex[j]};
                for (int r = 0; r < 2; ++r)
                    for (int c = 0; c < 2; ++c)
                        if (rows[r] >= 0 && cols[c] >= 0)
                            entries.push_back({rows[r], cols[c], 4 * k + std::size_t(2 * r + c)});
            }
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.col != b.col ? a.col < b.col : a.row < b.row; });
        const int spare = int(entries.size());
        _position.assign(4 * nnz, spare);
        _ap.assign(std::size_t(_size) + 1, 0);
        _ai.resize(entries.size());
        _ax.assign(entries.size() + 1, 0.0);
        for (std::size_t p = 0; p < entries.size(); ++p)
        {
            ++_ap[std::size_t(entries[p].col) + 1];
            _ai[p] = entries[p].row;
            _position[entries[p].slot] = int(p);
        }
        std::partial_sum(_ap.begin(), _ap.end(), _ap.begin());
    }

    const Grid& _g;
    int _size = 0;
    std::vector<int> _angleIndex, _magnitudeIndex;
    std::vector<double> _angle, _magnitude, _f, _dx;
    std::vector<Complex> _v, _unit, _current;
    std::vector<int> _ap, _ai, _position;
    std::vector<double> _ax;
    klu_common _common {};
    klu_symbolic* _symbolic = nullptr;
    klu_numeric* _numeric = nullptr;
};

// A grid and its solver, read once per case.
struct Case
{
    Grid grid;
    std::unique_ptr<Newton> newton;

    explicit Case(int c)
    {
        const char* folder = std::getenv("POWERFLOW_GRIDS");
        if (folder && grid.read(std::string(folder) + "/" + s_cases[c] + ".txt"))
            newton = std::make_unique<Newton>(grid);
    }
};

Newton* newtonOf(benchmark::State& state)
{
    static std::map<int, std::unique_ptr<Case>> cases;
    auto& p = cases[int(state.range(0))];
    if (!p)
        p = std::make_unique<Case>(int(state.range(0)));
    if (!p->newton)
        state.SkipWithError("grid not read: bench/powerflow.py writes it and sets POWERFLOW_GRIDS");
    return p->newton.get();
}

// At the solution point, with its Jacobian factorised once.
Newton* atSolution(benchmark::State& state)
{
    Newton* pNewton = newtonOf(state);
    if (!pNewton)
        return nullptr;
    if (pNewton->solve() < 0)
    {
        state.SkipWithError("not solved");
        return nullptr;
    }
    pNewton->jacobian();
    return pNewton;
}

void BM_HandF(benchmark::State& state)
{
    Newton* pNewton = atSolution(state);
    if (!pNewton)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(pNewton->mismatch());
}

void BM_HandJacobian(benchmark::State& state)
{
    Newton* pNewton = atSolution(state);
    if (!pNewton)
        return;
    for (auto _ : state)
        pNewton->jacobian();
}

void BM_HandRefactoriseAndSolve(benchmark::State& state)
{
    Newton* pNewton = atSolution(state);
    if (!pNewton)
        return;
    for (auto _ : state)
        if (!pNewton->refactoriseAndSolve())
            return state.SkipWithError("singular");
}

void reportSolve(benchmark::State& state, const Newton& newton, int iterations)
{
    if (iterations < 0)
        return state.SkipWithError("not solved");
    state.counters["iterations"] = iterations;
    state.counters["error_vs_reference"] = newton.errorAgainstReference();
}

// A solve with a new analysis and a first factorisation, as after a load.
void BM_HandFirstSolve(benchmark::State& state)
{
    Newton* pNewton = newtonOf(state);
    if (!pNewton)
        return;
    int iterations = 0;
    for (auto _ : state)
    {
        pNewton->forgetAnalysis();
        const auto start = std::chrono::steady_clock::now();
        iterations = pNewton->solve();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (iterations < 0)
            break;
    }
    reportSolve(state, *pNewton, iterations);
}

// A solve again: the analysis and the factors of the last solve kept.
void BM_HandSolve(benchmark::State& state)
{
    Newton* pNewton = newtonOf(state);
    if (!pNewton)
        return;
    int iterations = 0;
    for (auto _ : state)
        if ((iterations = pNewton->solve()) < 0)
            break;
    reportSolve(state, *pNewton, iterations);
}

BENCHMARK(BM_HandF)->ArgName("case")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandJacobian)->ArgName("case")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandRefactoriseAndSolve)->ArgName("case")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandFirstSolve)->ArgName("case")->DenseRange(0, 2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandSolve)->ArgName("case")->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
