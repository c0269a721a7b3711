#pragma once
#include <sc/ILog.h>

namespace sc
{
// The model library's one logger that prints each entry as a line on the
// standard output; never null, shared by every model given it.
ILog* getConsoleLogger();
} // namespace sc
