// Replays inputs through a fuzz target's entry in a build without libFuzzer:
// every file named on the command line, and every file in every folder
// named (and its subfolders), in name order. A folder that does not exist holds nothing; no input
// at all is a failure, so a wrong path cannot pass silently.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace
{
namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const fs::path& path)
{
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(path, ec))
    {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path, ec))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    }
    else if (fs::is_regular_file(path, ec))
        files.push_back(path);
    return files;
}

void replay(const fs::path& file)
{
    // Exactly the input's size, so that a read past it is caught by ASan.
    std::vector<std::uint8_t> data(fs::file_size(file));
    std::ifstream(file, std::ios::binary).read(reinterpret_cast<char*>(data.data()), std::streamsize(data.size()));
    std::printf("%s (%zu bytes)\n", file.c_str(), data.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(data.data(), data.size());
}
} // namespace

int main(int argc, char** argv)
{
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i)
    {
        for (const fs::path& file : inputsOf(argv[i]))
        {
            replay(file);
            ++count;
        }
    }
    std::printf("%zu inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
