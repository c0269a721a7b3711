// The 5-point convection-diffusion stencil on a 317 x 317 grid (100,489 rows):
// unsymmetric values on a symmetric pattern, put row by row.
#include "LayerVsKlu.h"

int main(int argc, char** argv)
{
    const int m = 317;
    Pattern p;
    p.n = m * m;
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j)
        {
            int row = i * m + j;
            if (i > 0)
                p.add(row, row - m, -1.3);
            if (j > 0)
                p.add(row, row - 1, -1.2);
            p.add(row, row, 4.5);
            if (j + 1 < m)
                p.add(row, row + 1, -0.8);
            if (i + 1 < m)
                p.add(row, row + m, -0.7);
        }
    return runLayerVsKlu(argc, argv, p, "2-D grid");
}
