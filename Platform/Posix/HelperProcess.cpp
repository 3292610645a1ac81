#include "Platform/HelperProcess.h"

#include "Platform/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Platform
{
namespace
{
// Only async-signal-safe calls between fork and exec: the parent may run
// other threads that held locks when it forked.
[[noreturn]] void RunChild(const char* program, char* const* argv, const std::vector<int>& descriptors)
{
    IsolateChildProcess();
    // What the child prints must never mix with our own standard output,
    // which may be a report another program parses.
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    for (int descriptor : descriptors)
        ::fcntl(descriptor, F_SETFD, 0);
    ::execv(program, argv);
    ::_exit(127);
}
} // namespace

HelperProcess::~HelperProcess()
{
    if (Started() && !m_reaped)
    {
        Kill();
        WaitForExit();
    }
}

bool HelperProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                          const std::vector<int>& inheritedDescriptors)
{
    std::vector<std::string> texts{program};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0)
        RunChild(program.c_str(), argv.data(), inheritedDescriptors);
    if (pid < 0)
        return false;
    m_pid = pid;
    m_reaped = false;
    return true;
}

void HelperProcess::Kill()
{
    if (Started() && !m_reaped)
        ::kill(m_pid, SIGKILL);
}

HelperProcess::Exit HelperProcess::WaitForExit()
{
    Exit exit;
    if (!Started() || m_reaped)
        return exit;
    int status = 0;
    pid_t result = -1;
    do
        result = ::waitpid(m_pid, &status, 0);
    while (result < 0 && errno == EINTR);
    m_reaped = true;
    exit.signalled = WIFSIGNALED(status);
    exit.number = exit.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
    return exit;
}
} // namespace Platform
