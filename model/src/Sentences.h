#pragma once
// The English sentence of every message key that the libraries log: what the
// console logger prints when the host gives it no translation function.

namespace msg
{
// The sentence of key, each "@" standing for a text the log site passes (a
// name, a count), or null for a key without one.
const char* englishSentence(const char* key);
} // namespace msg
