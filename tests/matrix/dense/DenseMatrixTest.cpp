#include <cmath>
#include <complex>
#include <dense/DiagMatrix.h>
#include <dense/Matrix.h>
#include <gtest/gtest.h>
#include <limits>

using Cmplx = std::complex<double>;

TEST(DenseMatrix, StoresByColumnsAndStartsAtZero)
{
    dense::Matrix<double> m;
    m.reserve(2, 3, nullptr, false);
    EXPECT_EQ(m.getNoOfRows(), 2);
    EXPECT_EQ(m.getNoOfCols(), 3);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(m.getData()[k], 0.0);
    m.getFirstColumnManipulator()[1] = 7.0;
    m.getData()[2 * 2 + 1] = 9.0; // element (1, 2)
    EXPECT_EQ(m.getData()[1], 7.0);
    EXPECT_EQ(m.getL1Norm(), 9.0);
}

TEST(DenseMatrix, L1NormIsTheLargestColumnSumOfMagnitudes)
{
    dense::Matrix<double> column;
    column.reserve(3, 1, nullptr, false);
    column.getFirstColumnManipulator()[0] = 3;
    column.getFirstColumnManipulator()[1] = -4;
    column.getFirstColumnManipulator()[2] = 1;
    EXPECT_EQ(column.getL1Norm(), 8.0);

    dense::Matrix<Cmplx> complexColumn;
    complexColumn.reserve(2, 1, nullptr, false);
    complexColumn.getFirstColumnManipulator()[0] = Cmplx(3, -4); // |3 - 4i| = 5
    complexColumn.getFirstColumnManipulator()[1] = Cmplx(0, 2);
    EXPECT_EQ(complexColumn.getL1Norm(), 7.0);

    // A NaN must never look like a small norm.
    column.getFirstColumnManipulator()[1] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(column.getL1Norm()));
}

TEST(DenseMatrix, ReserveKeepsValuesOnlyWhenAskedAndTheShapeStays)
{
    dense::Matrix<double> m;
    m.reserve(2, 1, nullptr, false);
    m.getFirstColumnManipulator()[0] = 5;
    m.reserve(2, 1, nullptr, true);
    EXPECT_EQ(m.getData()[0], 5.0);
    m.reserve(2, 1, nullptr, false);
    EXPECT_EQ(m.getData()[0], 0.0);
    m.getFirstColumnManipulator()[0] = 5;
    m.reserve(1, 2, nullptr, true); // same count, other shape
    EXPECT_EQ(m.getData()[0], 0.0);
}

TEST(DenseMatrix, ManagerLendsIndependentStorage)
{
    dense::MatrixMgr<double> mgr(4);
    dense::Matrix<double> a, b;
    dense::DiagMatrix<double> d;
    a.reserve(3, 1, &mgr, false);
    b.reserve(2, 2, &mgr, false); // larger than what is left of the block
    d.reserve(2, &mgr, false);
    a.getFirstColumnManipulator()[2] = 1;
    b.getData()[3] = 2;
    d.getManipulator()[1] = 3;
    EXPECT_EQ(a.getL1Norm(), 1.0);
    EXPECT_EQ(b.getL1Norm(), 2.0);
    EXPECT_EQ(d.getValue(1), 3.0);
    EXPECT_EQ(d.getValue(0), 0.0);
}

TEST(DenseMatrixDeathTest, DiagonalIndexBeyondTheSizeFails)
{
    dense::DiagMatrix<double> W;
    W.reserve(3, nullptr, false);
    W.getManipulator()[2] = 1.0;
    EXPECT_EQ(W.getValue(2), 1.0);
    EXPECT_DEATH(W.getManipulator()[3] = 1.0, "_size > posDiag");
}
