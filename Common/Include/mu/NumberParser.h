#pragma once
// Numbers in model text, XML and settings files always use a decimal point.
// They are read in a private "C" locale so that the process locale (which a
// host such as a Python interpreter may change) never affects parsing.

namespace mu
{
// Creates the private "C" locale if it does not exist (thread-safe).
void initCLocale();

// Frees the private locale; a later toDouble creates it again.
void freeCLocale();

// The longest prefix of text that forms a number in the "C" locale ("." as
// decimal point, optional exponent, "inf" and "nan"); 0.0 for a null text or
// a text without a number. Never fails: overflow gives infinity, trailing
// text is ignored.
double toDouble(const char* text);
} // namespace mu
