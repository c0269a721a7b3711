#include <mu/Console.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>

namespace mu
{
namespace
{
constexpr const char* s_reset = "\x1b[0m";

// The escape sequence of a colour, null for the ones printed plain.
const char* sequenceOf(Console::Color color)
{
    switch (color)
    {
    case Console::Color::Cyan: return "\x1b[1;36m";
    case Console::Color::Blue: return "\x1b[1;34m";
    case Console::Color::Yellow: return "\x1b[1;33m";
    case Console::Color::Red: return "\x1b[1;31m";
    case Console::Color::Green: return "\x1b[1;32m";
    default: return nullptr;
    }
}

bool termShowsColors(const char* term)
{
    for (const char* kind : {"color", "ansi", "xterm", "screen", "tmux", "rxvt"})
    {
        if (std::strstr(term, kind))
            return true;
    }
    return false;
}

// FORCE_COLOR other than "0" forces colours; NO_COLOR, output that is not a
// terminal or an unknown terminal turn them off.
bool decideColorSupport()
{
    const char* force = std::getenv("FORCE_COLOR");
    if (force && std::strcmp(force, "0") != 0)
        return true;
    const char* term = std::getenv("TERM");
    if (std::getenv("NO_COLOR") || !isatty(STDOUT_FILENO) || !term)
        return false;
    if (std::strcmp(term, "dumb") == 0)
        return false;
    return std::getenv("COLORTERM") || termShowsColors(term);
}

void putTimeStamp(std::string& line)
{
    if (Console::showTimeStamp)
        line.append("[").append(Console::getTimestamp()).append("] ");
}

void writeLine(std::string& line)
{
    line += '\n';
    std::cout.write(line.data(), static_cast<std::streamsize>(line.size()));
    std::cout.flush();
}
} // namespace

bool Console::init(bool showTimeStamp)
{
    if (buffer)
        return true;
    colorSupport = decideColorSupport();
    initConsole(showTimeStamp);
    return true;
}

std::string Console::getTimestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local {};
    localtime_r(&seconds, &local);
    char text[32];
    const size_t n = std::strftime(text, sizeof(text), "%H:%M:%S", &local);
    std::snprintf(text + n, sizeof(text) - n, ".%03d", static_cast<int>(ms));
    return text;
}

void Console::print(const td::String& text, Color color)
{
    std::lock_guard<std::mutex> lock(logMutex);
    const char* sequence = colorSupport ? sequenceOf(color) : nullptr;
    std::string line;
    putTimeStamp(line);
    if (sequence)
        line.append(sequence).append(text.c_str(), text.length()).append(s_reset);
    else
        line.append(text.c_str(), text.length());
    writeLine(line);
}

void Console::printLog(const char* title, const char* colorSequence, const std::string& message)
{
    std::string line;
    putTimeStamp(line);
    const char* shownTitle = title ? title : "";
    if (colorSequence && colorSupport)
        line.append(colorSequence).append("[").append(shownTitle).append("]").append(s_reset).append(" ");
    else
        line.append("[").append(shownTitle).append("] ");
    line += message;
    writeLine(line);
}

void initConsole(bool showTimeStamp)
{
    if (!Console::buffer)
    {
        Console::bufferSize = 4096;
        Console::buffer = new char[Console::bufferSize];
    }
    Console::showTimeStamp = showTimeStamp;
}

void cleanConsole()
{
    delete[] Console::buffer;
    Console::buffer = nullptr;
    Console::bufferSize = 0;
}
} // namespace mu
