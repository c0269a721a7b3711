// A power-flow-like Jacobian: 50,000 buses with two unknowns each (100,000
// rows); every bus hangs on an earlier nearby bus (a radial backbone) and
// every third one has a further nearby line (meshes). Each bus and each
// line end gives a dense 2 x 2 block; the values are unsymmetric.
#include "LayerVsKlu.h"
#include <random>

int main(int argc, char** argv)
{
    const int buses = 50000;
    std::mt19937 random(12345);
    std::vector<std::vector<int>> neighbours(buses);
    auto link = [&](int a, int b) {
        if (a != b && std::find(neighbours[a].begin(), neighbours[a].end(), b) == neighbours[a].end())
        {
            neighbours[a].push_back(b);
            neighbours[b].push_back(a);
        }
    };
    for (int i = 1; i < buses; ++i)
    {
        link(i, std::max(0, i - 1 - int(random() % 40)));
        if (i % 3 == 0)
            link(i, std::max(0, i - 1 - int(random() % 200)));
    }
    Pattern p;
    p.n = 2 * buses;
    for (int bus = 0; bus < buses; ++bus)
    {
        std::vector<int> cols = neighbours[bus];
        cols.push_back(bus);
        std::sort(cols.begin(), cols.end());
        double degree = double(neighbours[bus].size());
        for (int r = 0; r < 2; ++r)
            for (int other : cols)
                for (int c = 0; c < 2; ++c)
                {
                    double v = other == bus ? (r == c ? 10.0 * (degree + 1) : (r ? -2.0 : 3.0))
                                            : (r == c ? -9.0 : (r ? 1.5 : -2.5));
                    p.add(2 * bus + r, 2 * other + c, v);
                }
    }
    return runLayerVsKlu(argc, argv, p, "power network");
}
