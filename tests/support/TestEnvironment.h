#pragma once
// Helpers of tests that touch the system: a temporary folder, environment
// variables set for one scope, files as text, and code or a program run in a
// child process.
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
#include <utility>
#include <vector>

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

// Reads the child's output from the pipe's read end until the child closes
// it, then waits for the child.
inline ChildResult collectChild(pid_t pid, int readEnd)
{
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(readEnd, buffer, sizeof(buffer))) > 0;)
        output.append(buffer, static_cast<size_t>(n));
    close(readEnd);
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

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
    return collectChild(pid, fds[0]);
}

// Starts the program at path with the argument vector args (no vector at
// all when args is empty: the kernel may then give an empty argument 0), in
// folder, with the variables env set on top of this process's environment.
// Its standard output, its exit code (127 when it could not be started),
// and its process id in pid.
inline ChildResult runProgram(const fs::path& path, const std::vector<std::string>& args, const fs::path& folder,
                              const std::vector<std::pair<std::string, std::string>>& env, pid_t& pid)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, "pipe failed"};
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid = fork();
    if (pid == 0)
    {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        if (chdir(folder.c_str()) == 0)
            execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    return collectChild(pid, fds[0]);
}
} // namespace test
