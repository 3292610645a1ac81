#pragma once

#include <cstdint>
#include <string>

// Trace facility. Every line is stamped with the time since the first line,
// any "%" in it is turned into "*" (the line is handed on as a format), and it
// goes to the host application's log and, when switched on, to the debugger
// channel. Tracing never throws to its caller.
struct DebugSettings
{
    static bool suppressed;
    static bool timestamps;
    static bool toDebugger;
    static std::int32_t sinkLevel;
};

// Trace lines also go to the host application's log. This library stands
// below the host interface, so the engine context installs the functions
// that hand them there; without them lines go to the debugger channel only.
struct TraceLog
{
    void (*narrow)(std::int32_t level, const char* line) = nullptr;
    void (*wide)(std::int32_t level, const wchar_t* line) = nullptr;
};
void SetTraceLog(TraceLog log);
// Hands a finished line to the host application's log, if one is installed.
void TraceToLog(std::int32_t level, const char* line);

// The host application traces through all three forms; the scanner and the
// wrappers use the narrow and the wide one.
void DebugOut(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DebugOut(const wchar_t* format, ...);
void DebugOutNamed(const char* name, const char* format, ...) __attribute__((format(printf, 2, 3)));

// "hh.mm.ss.mmm(ddd): " for an elapsed time and the delta since the line before.
std::string DebugTimeStamp(std::uint64_t elapsedMs, std::uint64_t deltaMs);

// Assertions mark caller preconditions. They are reported with the expression,
// the source path relative to the source tree without extension, and the line;
// the program then goes on. Tests install their own report to observe them.
using AssertionReport = void (*)(const wchar_t* expression, const wchar_t* source, unsigned line);
void ReportAssertion(const wchar_t* expression, const wchar_t* source, unsigned line);
// Returns the report that was installed before; null restores the default.
AssertionReport SetAssertionReport(AssertionReport report);
