#pragma once

namespace Platform
{
// Runs in a newly started child process before it runs its program. Puts the
// child in a process group of its own, so that the terminal's interrupt
// reaches only the parent, which ends the child in good order; and has the
// child killed when the thread that started it ends, so that it never
// outlives a parent that was killed.
void IsolateChildProcess();
} // namespace Platform
