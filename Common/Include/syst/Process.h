#pragma once
// The running process and the computer it runs on.
#include <cnt/SafeFullVector.h>
#include <td/String.h>

namespace syst
{
class Process
{
public:
    static unsigned getID();

    // Replaces the process image with the program at path; argv is the whole
    // argument vector, null-terminated. Returns only on failure, with -1.
    static int execute(const char* path, char* const* argv);
    // The same with the program path as argument 0 followed by arguments.
    static int execute(const td::String& path, const cnt::SafeFullVector<td::String>& arguments);
};

class Computer
{
public:
    // The host name, empty when there is none.
    static td::String getName();
};
} // namespace syst

namespace mu
{
unsigned getProcesID();
} // namespace mu
