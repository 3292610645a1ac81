#pragma once

namespace Platform
{
// Catches the requests to stop that a terminal or a session manager sends
// (on POSIX, SIGINT and SIGTERM) while it lives, so that a long task can end
// in good order instead of the process dying in the middle of it. The
// previous handlers come back with its end.
class StopRequests
{
public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // The request that came while one was installed, or 0.
    static int Received();
    // What to call it in a message: "SIGINT" or "SIGTERM".
    static const char* Name(int request);
    // The exit code the shell gives a program that such a request ended.
    static int ExitCode(int request);

private:
    using Handler = void (*)(int);
    Handler m_previousInterrupt;
    Handler m_previousTerminate;
};
} // namespace Platform
