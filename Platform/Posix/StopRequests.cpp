#include "Platform/StopRequests.h"

#include <csignal>

namespace Platform
{
namespace
{
volatile std::sig_atomic_t g_received = 0;

void OnSignal(int signal)
{
    g_received = signal;
}
} // namespace

StopRequests::StopRequests()
    : m_previousInterrupt(std::signal(SIGINT, OnSignal)), m_previousTerminate(std::signal(SIGTERM, OnSignal))
{
    g_received = 0;
}

StopRequests::~StopRequests()
{
    std::signal(SIGINT, m_previousInterrupt);
    std::signal(SIGTERM, m_previousTerminate);
}

int StopRequests::Received()
{
    return g_received;
}

const char* StopRequests::Name(int request)
{
    return request == SIGINT ? "SIGINT" : "SIGTERM";
}

int StopRequests::ExitCode(int request)
{
    return 128 + request;
}
} // namespace Platform
