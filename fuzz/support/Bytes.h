#pragma once
// Reads a fuzz input as a sequence of choices: bytes, small indices and
// numbers. Past the end every read gives zero, so any input is a program.
#include <cstdint>
#include <cstring>
#include <limits>

namespace fuzz
{
class Bytes
{
public:
    Bytes(const std::uint8_t* data, std::size_t size)
        : _p(data)
        , _end(data + size)
    {
    }

    bool atEnd() const { return _p == _end; }
    std::uint8_t byte() { return _p < _end ? *_p++ : 0; }

    // Mostly 0 .. n, the first index past the end included; now and then a
    // far one on either side.
    int index(int n)
    {
        const std::uint8_t b = byte();
        if (b < 0xF0)
            return b % (n > 0 ? n + 1 : 1);
        const int far[] = {-1, -2, n + 1, n + 100, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
        return far[(b - 0xF0) % 6];
    }

    // Mostly small multiples of 1/8 (zero among them); else a value at the
    // edges of the doubles, or any eight bytes.
    double number()
    {
        const std::uint8_t b = byte();
        if (b < 0xF0)
            return double(int(b) - 0x78) / 8;
        constexpr double inf = std::numeric_limits<double>::infinity();
        switch (b)
        {
        case 0xF0: return inf;
        case 0xF1: return -inf;
        case 0xF2: return std::numeric_limits<double>::quiet_NaN();
        case 0xF3: return 1e300;
        case 0xF4: return -1e-300;
        case 0xF5: return std::numeric_limits<double>::max();
        case 0xF6: return std::numeric_limits<double>::denorm_min();
        case 0xF7: return 1e-8;
        default: return rawDouble();
        }
    }

private:
    double rawDouble()
    {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | byte();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    const std::uint8_t* _p;
    const std::uint8_t* _end;
};
} // namespace fuzz
