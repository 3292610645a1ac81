#pragma once

namespace Platform
{
// Ends the process at once with the code, after flushing the standard
// streams: no static destructor and no exit handler runs, neither ours nor
// those of libraries that could not be unloaded.
[[noreturn]] void ExitWithoutTeardown(int code);
} // namespace Platform
