#pragma once

#include <cstdio>

namespace Platform
{
// Keeps the process's standard output for the caller alone: returns a stream
// on it, and points standard output at standard error for everything else,
// plug-ins included, so that what they print cannot mix with the caller's
// results. Null, with nothing changed, when it cannot be done.
std::FILE* TakeStandardOutput();
// The width of the terminal the stream writes to; 0 when it writes to none.
int TerminalColumns(std::FILE* stream);
} // namespace Platform
