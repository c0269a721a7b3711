#include <td/String.h>

#include <cstdio>
#include <cstdlib>

namespace mu
{
const td::String __emptyString;
} // namespace mu

namespace td
{
void freeStringBlock(char* pBlock) noexcept { delete[] pBlock; }

FormattedText::FormattedText(const char* fmt, va_list args) noexcept
{
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(_local, sizeof(_local), fmt, args);
    if (n > 0 && static_cast<size_t>(n) < sizeof(_local))
        _len = static_cast<size_t>(n);
    else if (n >= 0)
    {
        // vsnprintf already told the full length; print again into a buffer
        // of exactly that size. Texts beyond the string maximum count as a
        // failed print instead of stopping the process.
        size_t len = static_cast<size_t>(n);
        if (len > 0 && len <= 0x0FFFFFFF)
        {
            _pHeap = static_cast<char*>(std::malloc(len + 1));
            if (_pHeap && std::vsnprintf(_pHeap, len + 1, fmt, again) == n)
            {
                _pText = _pHeap;
                _len = len;
            }
        }
    }
    va_end(again);
}

FormattedText::~FormattedText() { std::free(_pHeap); }
} // namespace td
