#pragma once
// A file in memory with a path, for the readers that take a file name: the
// same bytes reach them through the file road without touching a disk.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <string>

#include <Check.h>

namespace fuzz
{
class MemoryFile
{
public:
    explicit MemoryFile(const char* name)
        : _fd(memfd_create(name, 0))
    {
        FUZZ_CHECK(_fd >= 0);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() { close(_fd); }

    // Replaces the content.
    void write(const char* data, std::size_t size)
    {
        FUZZ_CHECK(ftruncate(_fd, 0) == 0);
        for (std::size_t done = 0; done < size;)
        {
            const ssize_t n = pwrite(_fd, data + done, size - done, off_t(done));
            FUZZ_CHECK(n > 0);
            done += std::size_t(n);
        }
    }

    // Opening this path opens the file anew, at its start.
    std::string path() const { return "/proc/self/fd/" + std::to_string(_fd); }

private:
    int _fd;
};
} // namespace fuzz
