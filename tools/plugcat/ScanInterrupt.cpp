#include "tools/plugcat/ScanInterrupt.h"

#include <csignal>

namespace
{
volatile std::sig_atomic_t g_received = 0;

void OnSignal(int signal)
{
    g_received = signal;
}
} // namespace

ScanInterrupt::ScanInterrupt()
    : m_previousInterrupt(std::signal(SIGINT, OnSignal)), m_previousTerminate(std::signal(SIGTERM, OnSignal))
{
    g_received = 0;
}

ScanInterrupt::~ScanInterrupt()
{
    std::signal(SIGINT, m_previousInterrupt);
    std::signal(SIGTERM, m_previousTerminate);
}

int ScanInterrupt::Received()
{
    return g_received;
}
