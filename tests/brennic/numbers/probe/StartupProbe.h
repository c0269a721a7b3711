#pragma once
// A library that links the utility library and uses its process-wide objects
// from its own static initialiser, as the solver and model libraries do.

// What the initialiser found wrong, one bit per check; 0 when all was well.
enum StartupProbeFault : unsigned
{
    ProbeNumber = 1,    // toDouble misread a number
    ProbeAllocator = 2, // no main-thread allocator, or not the expected one
    ProbeBuffer = 4,    // a buffer on that allocator did not take its bytes
    ProbeContent = 8,   // the bytes read back differ
    ProbeStrings = 16,  // the shared empty and mutable strings are unusable
};

extern "C" unsigned startupProbeFaults();
using StartupProbeFaultsFn = unsigned (*)();
