#include "StartupProbe.h"

#include <cstdlib>
#include <cstring>

#include <mem/Buffer.h>
#include <mem/IBufferAllocator.h>
#include <mu/Init.h>
#include <mu/NumberParser.h>

namespace mu
{
extern const char __zeroBuffer[8];
} // namespace mu

namespace
{
constexpr size_t s_textSize = 1500;

struct Probe
{
    Probe()
    {
        if (mu::toDouble("2.75") != 2.75 || mu::toDouble("-1e-3") != -0.001)
            faults |= ProbeNumber;
        mem::IBufferAllocator* pAllocator = mu::getMainThreadBufferAllocator();
        if (!pAllocator || pAllocator->getUnitChunkSize() != 1024)
        {
            faults |= ProbeAllocator;
            return;
        }
        buffer = mem::Buffer(pAllocator);
        char text[s_textSize];
        std::memset(text, 'p', sizeof(text));
        mem::Buffer::Entry* at = nullptr;
        if (!buffer.append(text, sizeof(text), at) || buffer.getTotalSize() != s_textSize ||
            buffer.getNumberOfChunks() != 2)
            faults |= ProbeBuffer;
        td::String back = buffer.toString();
        if (back.length() != s_textSize || std::memcmp(back.c_str(), text, s_textSize) != 0)
            faults |= ProbeContent;
        mu::__globalMutableString.append("probe");
        bool mutableOK = std::strcmp(mu::__globalMutableString.c_str(), "probe") == 0;
        mu::__globalMutableString.erase();
        if (!mutableOK || mu::__emptyString.c_str() != mu::__zeroBuffer)
            faults |= ProbeStrings;
    }

    // Runs when this library unloads, before the utility library does: its
    // objects must still serve.
    ~Probe()
    {
        mem::Buffer copy(buffer);
        mem::Buffer::Entry* at = nullptr;
        if (faults == 0 && (!copy.append("end", 3, at) || copy.getTotalSize() != s_textSize + 3))
            std::abort();
        if (mu::toDouble("0.5") != 0.5)
            std::abort();
    }

    mem::Buffer buffer;
    unsigned faults = 0;
};

Probe s_probe;
} // namespace

extern "C" unsigned startupProbeFaults() { return s_probe.faults; }
