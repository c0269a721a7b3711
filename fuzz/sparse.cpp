// The sparse layer: the input is a small program of puts (indices outside
// the system, NaN and infinity among the values), factorisations, solves,
// resets and rectangular matrices added as normal equations or constraint
// blocks, run against a real or a complex solver of any options. A dense
// shadow of every put tells what may succeed, and each success is checked:
// a finite solution with a small residual. A twin solver of the same options
// takes each fill of plain puts as a pattern set up front with its values
// written through the places, and is checked the same way.
#include <Bytes.h>
#include <Check.h>
#include <DenseShadow.h>
#include <MatrixShadow.h>
#include <dense/DiagMatrix.h>
#include <dense/Matrix.h>
#include <sparse/Factory.h>

#include <algorithm>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <sstream>
#include <type_traits>
#include <vector>

namespace
{
using Cmplx = std::complex<double>;

// The backward error of a pivoted LU (in the plain norm, or in the norm of
// the rows scaled alike) stays near n eps times the pivot growth; far above
// it, a success would be a wrong solution.
constexpr double residualLimit = 1e-6;

template <typename T>
T valueFrom(fuzz::Bytes& in)
{
    if constexpr (std::is_same_v<T, double>)
        return in.number();
    else
    {
        const double re = in.number();
        return Cmplx(re, in.number());
    }
}

template <typename T>
T conjugate(T v)
{
    if constexpr (std::is_same_v<T, double>)
        return v;
    else
        return std::conj(v);
}

template <typename T>
class Program
{
public:
    Program(fuzz::Bytes& in, int n, sparse::ISolver<T, int>* pSolver, sparse::ISolver<T, int>* pTwin)
        : _in(in)
        , _n(n)
        , _pSolver(pSolver)
        , _pTwin(pTwin)
        , _shadow(n)
    {
    }
    ~Program()
    {
        if (_pMatrix)
            _pMatrix->release();
        _pSolver->release();
        _pTwin->release();
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void run()
    {
        while (!_in.atEnd())
            step(_in.byte() % 12);
    }

private:
    enum class State
    {
        None,       // nothing factorised: a solve with it must fail
        Factorised, // _factorised holds the matrix
        Unknown     // a solve() failed: factorised or not
    };

    void step(int op)
    {
        switch (op)
        {
        case 0:
        case 1: put(); break;
        case 2: putRHS(); break;
        case 3: factorise(); break;
        case 4: solveAssembled(); break;
        case 5: solveWith(); break;
        case 6: reset(); break;
        case 7: createMatrix(); break;
        case 8: putIntoMatrix(); break;
        case 9: resetMatrix(); break;
        case 10: addNormalEquations(); break;
        default: addConstraintBlock(); break;
        }
    }

    void put()
    {
        const int row = _in.index(_n);
        const int col = _in.index(_n);
        const T value = valueFrom<T>(_in);
        _pSolver->put(row, col, value);
        _shadow.put(row, col, value);
        _puts.push_back({row, col, value});
    }

    void putRHS()
    {
        const int row = _in.index(_n);
        const T value = valueFrom<T>(_in);
        _pSolver->putRHS(row, value);
        _shadow.putRHS(row, value);
    }

    void factorise()
    {
        if (!_pSolver->factorise())
        {
            _state = State::None;
            return;
        }
        FUZZ_CHECK(_shadow.mayFactorise());
        _state = State::Factorised;
        _factorised = _shadow.matrix();
        _factorisedExtreme = _shadow.isExtreme();
        factoriseTwin();
    }

    // The fill so far through the twin: pattern, values at their places
    // (zeroed first, duplicates summed), factorisation, one solve.
    void factoriseTwin()
    {
        if (!_isPlainFill)
            return;
        std::vector<int> rows, cols;
        for (const Put& p : _puts)
        {
            rows.push_back(p.row);
            cols.push_back(p.col);
        }
        if (!_pTwin->setPattern(rows.data(), cols.data(), _puts.size()))
            return;
        T* values = _pTwin->values();
        std::fill(values, values + _pTwin->nonZeros(), T());
        for (std::size_t k = 0; k < _puts.size(); ++k)
            values[_pTwin->places()[k]] += _puts[k].value;
        if (!_pTwin->factoriseValues())
            return;
        FUZZ_CHECK(_shadow.mayFactorise());
        std::vector<T> x(std::size_t(_shadow.size()));
        if (_pTwin->solve(_shadow.rhs().data(), x.data()))
            checkSolution(x.data(), _shadow.rhs().data(), _shadow.isExtreme());
    }

    void solveAssembled()
    {
        _factorised = _shadow.matrix();
        _factorisedExtreme = _shadow.isExtreme();
        if (!_pSolver->solve())
        {
            _state = State::Unknown;
            return;
        }
        FUZZ_CHECK(_shadow.mayFactorise());
        _state = State::Factorised;
        std::vector<T> x(std::size_t(_shadow.size()));
        for (int i = 0; i < _shadow.size(); ++i)
            x[std::size_t(i)] = *_pSolver->solutionValue(i);
        checkSolution(x.data(), _shadow.rhs().data(), _shadow.isExtreme());
    }

    // Solves with the present factorisation, the right-hand side in x itself
    // or apart.
    void solveWith()
    {
        const std::size_t size = std::size_t(_shadow.size());
        std::vector<T> rhs(size), x(size);
        for (T& v : rhs)
            v = valueFrom<T>(_in);
        bool extreme = _factorisedExtreme;
        for (const T& v : rhs)
            extreme = extreme || fuzz::DenseShadow<T>::isExtreme(v);
        const bool inPlace = _in.byte() & 1;
        if (inPlace)
            x = rhs;
        const bool ok = _pSolver->solve(inPlace ? x.data() : rhs.data(), x.data());
        if (_state == State::None)
            FUZZ_CHECK(!ok);
        if (ok)
            checkSolution(x.data(), rhs.data(), extreme, _factorised);
    }

    void checkSolution(const T* x, const T* rhs, bool extreme) { checkSolution(x, rhs, extreme, _shadow.matrix()); }

    void checkSolution(const T* x, const T* rhs, bool extreme, const std::vector<T>& a)
    {
        const int n = _shadow.size();
        for (int i = 0; i < n; ++i)
            FUZZ_CHECK(fuzz::DenseShadow<T>::isFinite(x[i]));
        if (extreme)
            return;
        // Rows of very different sizes are solved well in the norm of the
        // rows scaled alike, else in the plain one.
        const double residual = std::min(fuzz::DenseShadow<T>::relativeResidual(a, n, x, rhs, false),
                                         fuzz::DenseShadow<T>::relativeResidual(a, n, x, rhs, true));
        if (residual > residualLimit)
            show(a, n, x, rhs, residual);
        FUZZ_CHECK(residual <= residualLimit);
    }

    // The system and the solution a check refused, for the report.
    static void show(const std::vector<T>& a, int n, const T* x, const T* rhs, double residual)
    {
        std::ostringstream os;
        os.precision(17);
        os << "relative residual " << residual << " of the " << n << " x " << n << " system (row: A | rhs | x)\n";
        for (int i = 0; i < n; ++i)
        {
            for (int j = 0; j < n; ++j)
                os << ' ' << a[std::size_t(i) * std::size_t(n) + std::size_t(j)];
            os << " | " << rhs[i] << " | " << x[i] << '\n';
        }
        std::fputs(os.str().c_str(), stderr);
    }

    void reset()
    {
        _pSolver->reset();
        _shadow.reset();
        _state = State::None;
        _puts.clear();
        _isPlainFill = true;
    }

    void createMatrix()
    {
        if (_pMatrix)
            _pMatrix->release();
        _matrix = fuzz::MatrixShadow<T> {};
        // -1 .. n + 1: a size of no matrix, and blocks that do not fit
        const auto size = [&] { return int(_in.byte() % (std::max(_n, 0) + 3)) - 1; };
        _matrix.rows = size();
        _matrix.cols = size();
        const int capacity = _in.byte();
        if constexpr (std::is_same_v<T, double>)
            _pMatrix = sparse::createDblMatrix(_matrix.rows, _matrix.cols, capacity, sparse::Symmetry::General);
        else
            _pMatrix = sparse::createCmplxMatrix(_matrix.rows, _matrix.cols, capacity, sparse::Symmetry::General);
    }

    void putIntoMatrix()
    {
        if (!_pMatrix)
            return;
        const int row = _in.index(_matrix.rows);
        const int col = _in.index(_matrix.cols);
        const T value = valueFrom<T>(_in);
        _pMatrix->put(row, col, value);
        _matrix.entries.push_back({row, col, value});
    }

    void resetMatrix()
    {
        if (!_pMatrix)
            return;
        _pMatrix->reset();
        _matrix.entries.clear();
    }

    // Rows of a column the matrix's systems need (none for a matrix of no
    // valid size).
    int rowsOf() const { return _matrix.rows > 0 ? _matrix.rows : 0; }

    // H*WH and H*Wr, as the solver receives them: w_k conj(h_kp) h_kq.
    void addNormalEquations()
    {
        if (!_pMatrix)
            return;
        const int m = rowsOf();
        dense::DiagMatrix<double> W;
        W.reserve(m + int(_in.byte() % 2));
        for (int k = 0; k < W.getSize(); ++k)
            W.getManipulator()[k] = _in.number();
        dense::Matrix<T> r;
        r.reserve(m, 1);
        for (int k = 0; k < m; ++k)
            r.getFirstColumnManipulator()[k] = valueFrom<T>(_in);
        _pMatrix->addNormalEquations(W, r, _pSolver);
        _isPlainFill = false;
        if (!_matrix.isWhole())
        {
            _shadow.put(-1, -1, T());
            return;
        }
        for (int k = 0; k < m; ++k)
        {
            const auto hk = _matrix.row(k);
            for (const auto& [p, vp] : hk)
            {
                const T weighted = conjugate(vp) * W.getValue(k);
                _shadow.putRHS(p, weighted * r.getData()[k]);
                for (const auto& [q, vq] : hk)
                    _shadow.put(p, q, weighted * vq);
            }
        }
    }

    // C at rows offset.., C* at the same columns, c into those rows.
    void addConstraintBlock()
    {
        if (!_pMatrix)
            return;
        const int m = rowsOf();
        const std::uint8_t b = _in.byte();
        const int offset = b < 0xF0 ? b % (std::max(_n, 0) + 1) : std::numeric_limits<int>::max() - (b - 0xF0);
        dense::Matrix<T> c;
        c.reserve(m, 1);
        for (int k = 0; k < m; ++k)
            c.getFirstColumnManipulator()[k] = valueFrom<T>(_in);
        _pMatrix->addConstraintBlock(offset, c, _pSolver);
        _isPlainFill = false;
        if (!_matrix.isWhole() || offset > std::numeric_limits<int>::max() - m)
        {
            _shadow.put(-1, -1, T());
            return;
        }
        for (int i = 0; i < m; ++i)
        {
            for (const auto& [col, v] : _matrix.row(i))
            {
                _shadow.put(offset + i, col, v);
                _shadow.put(col, offset + i, conjugate(v));
            }
            _shadow.putRHS(offset + i, c.getData()[i]);
        }
    }

    fuzz::Bytes& _in;
    int _n;
    sparse::ISolver<T, int>* _pSolver;
    sparse::ISolver<T, int>* _pTwin;
    fuzz::DenseShadow<T> _shadow;
    struct Put
    {
        int row;
        int col;
        T value;
    };
    // The puts of this fill, while all of them are plain puts.
    std::vector<Put> _puts;
    bool _isPlainFill = true;
    State _state = State::None;
    std::vector<T> _factorised;
    bool _factorisedExtreme = false;
    sparse::IMatrix<int, T>* _pMatrix = nullptr;
    fuzz::MatrixShadow<T> _matrix;
};

template <typename T>
void runProgram(fuzz::Bytes& in, int n)
{
    const auto symmetry = sparse::Symmetry(in.byte() % 4);
    const auto type = sparse::SolverType(in.byte() % 3);
    const auto pivoting = sparse::Pivoting(in.byte() % 4);
    const auto ordering = sparse::Ordering(in.byte() % 2);
    const int capacity = int(in.byte()) - 8;
    const auto create = [&] {
        if constexpr (std::is_same_v<T, double>)
            return sparse::createDblSolver(n, capacity, symmetry, type, pivoting, ordering);
        else
            return sparse::createCmplxSolver(n, capacity, symmetry, type, pivoting, ordering);
    };
    Program<T>(in, n, create(), create()).run();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Bytes in(data, size);
    const std::uint8_t head = in.byte();
    // Systems of -2 .. 13 rows: small enough for the dense shadow.
    const int n = int(head >> 4) - 2;
    if (head & 1)
        runProgram<Cmplx>(in, n);
    else
        runProgram<double>(in, n);
    return 0;
}
