#pragma once
// Helpers of tests that touch the system: a temporary folder, environment
// variables set for one scope, files as text, and code run in a child
// process.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

namespace test
{
namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with all its
// content at the end.
class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "appservices_XXXXXX").string();
        _path = mkdtemp(pattern.data());
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return _path; }
    fs::path operator/(const std::string& name) const { return _path / name; }

private:
    fs::path _path;
};

// Sets (or with nullopt unsets) a variable and restores it at the end.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, std::optional<std::string> value)
        : _name(name)
    {
        if (const char* old = std::getenv(name))
            _old = old;
        set(value);
    }
    ~ScopedEnv() { set(_old); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<std::string>& value)
    {
        if (value)
            setenv(_name.c_str(), value->c_str(), 1);
        else
            unsetenv(_name.c_str());
    }

    std::string _name;
    std::optional<std::string> _old;
};

inline std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct ChildResult
{
    int exitCode; // -1 when the child did not exit normally
    std::string output;
};

// Runs work in a forked child and gives back what it returned and its exit
// code. The child leaves with _exit, so nothing of the parent's clean-up
// runs twice.
inline ChildResult runInChild(const std::function<std::string()>& work)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, "pipe failed"};
    const pid_t pid = fork();
    if (pid == 0)
    {
        close(fds[0]);
        const std::string text = work();
        const ssize_t written = write(fds[1], text.data(), text.size());
        _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    close(fds[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof(buffer))) > 0;)
        output.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}
} // namespace test
