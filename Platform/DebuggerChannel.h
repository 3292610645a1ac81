#pragma once

// Where developers' trace lines go when "to debugger" is switched on.
namespace Platform
{
void WriteToDebugger(const char* text);
void WriteToDebugger(const wchar_t* text);
} // namespace Platform
