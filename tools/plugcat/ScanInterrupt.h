#pragma once

// Catches SIGINT and SIGTERM while it lives, so that a scan can be ended in
// good order (the scanner stopped, the result files left whole) instead of
// plugcat dying in the middle of it. The previous handlers come back with
// its end.
class ScanInterrupt
{
public:
    ScanInterrupt();
    ~ScanInterrupt();
    ScanInterrupt(const ScanInterrupt&) = delete;
    ScanInterrupt& operator=(const ScanInterrupt&) = delete;

    // The signal that came while one was installed, or 0.
    static int Received();

private:
    using Handler = void (*)(int);
    Handler m_previousInterrupt;
    Handler m_previousTerminate;
};
