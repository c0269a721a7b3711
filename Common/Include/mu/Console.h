#pragma once
// Lines on standard output, optionally after a time stamp and coloured with
// ANSI escape sequences when the terminal is judged to show them.
#include <mutex>
#include <string>

#include <td/String.h>

namespace mu
{
class Console
{
public:
    // Every colour is printed bold; Default, Normal and values above Green
    // print without colour.
    enum class Color : unsigned char
    {
        Default = 0,
        Normal = 1,
        Cyan = 2,
        Blue = 3,
        Yellow = 4,
        Red = 5,
        Green = 6
    };

    static inline bool colorSupport = false;
    static inline bool showTimeStamp = true;
    // While the buffer exists the console counts as initialised.
    static inline char* buffer = nullptr;
    static inline unsigned bufferSize = 0;
    // Held by print for one whole line, so lines of several threads never mix.
    static inline std::mutex logMutex;

    // Decides colour support from the environment and standard output, once:
    // later calls change nothing until cleanConsole. Always true.
    static bool init(bool showTimeStamp);

    // Local time as "HH:MM:SS.mmm".
    static std::string getTimestamp();

    static void print(const td::String& text, Color color);

    // Without the lock: "[title] message", the title bracket coloured by the
    // given escape sequence (may be null) when colours are on.
    static void printLog(const char* title, const char* colorSequence, const std::string& message);
};

// Creates the buffer when there is none and sets showTimeStamp.
void initConsole(bool showTimeStamp);
// Frees the buffer, so that the next init decides the colours again.
void cleanConsole();
} // namespace mu
