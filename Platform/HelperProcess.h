#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace Platform
{
// A child process running one of our own programs, handed some of our
// descriptors; its standard output goes to our standard error. It dies with the thread that started it (see
// IsolateChildProcess); whoever owns the object reaps it.
class HelperProcess
{
public:
    struct Exit
    {
        // Ended by a signal rather than by returning or exiting.
        bool signalled = false;
        // The signal or the exit code.
        int number = 0;
    };

    HelperProcess() = default;
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // The descriptors keep their numbers in the child and lose close-on-exec
    // there; every other descriptor of ours that is close-on-exec stays out.
    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<int>& inheritedDescriptors);
    bool Started() const { return m_pid > 0; }
    // SIGKILL; harmless once the child is gone but not yet reaped.
    void Kill();
    // Blocks until the child ends and reaps it; callable once per start.
    Exit WaitForExit();

private:
    int m_pid = -1;
    // Kill() may come from another thread than the one that reaps.
    std::atomic<bool> m_reaped{false};
};
} // namespace Platform
