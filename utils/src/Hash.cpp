#include <mu/Hash.h>

#include <cstring>

#include <mu/Assert.h>

namespace mu
{
void CRC64::calc(const char* text, int length)
{
    MU_ASSERT(width >= 1 && width <= 64);
    if (!text)
        return;
    const size_t n = length < 0 ? std::strlen(text) : static_cast<size_t>(length);
    const uint64_t top = uint64_t(1) << (width - 1);
    const uint64_t mask = width == 64 ? ~uint64_t(0) : (uint64_t(1) << width) - 1;
    for (size_t i = 0; i < n; ++i)
    {
        const auto byte = static_cast<unsigned char>(text[i]);
        for (int bit = 7; bit >= 0; --bit)
        {
            const bool dataBit = (byte >> bit) & 1;
            const bool topBit = (reg & top) != 0;
            reg = topBit != dataBit ? (reg << 1) ^ polynomial : reg << 1;
        }
        reg &= mask;
    }
}

uint64_t calcHash(const char* text, int length)
{
    CRC64 crc {0x19032b1f7011a0c4, 64, 0};
    crc.calc(text, length);
    return crc.reg;
}
} // namespace mu
