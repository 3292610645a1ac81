#include "Core/BaseLib/AudioPlugins/Isolation/IsolationProcess.h"

#include "Core/BaseLib/Debug.h"
#include "Platform/Clock.h"
#include "Platform/WakeWord.h"

namespace
{
constexpr int kStopWaitMs = 2000;
constexpr int kStopPollMs = 10;
// A notice's frame has begun to arrive; the rest follows at once from a live child.
constexpr int kNoticeRestMs = 1000;
} // namespace

IsolationProcess::~IsolationProcess()
{
    Stop();
}

bool IsolationProcess::Start(const std::string& program)
{
    if (!m_memory.Create(IsolationBlock::kBytes) || !Platform::LocalSocket::CreatePair(m_socket, m_childEnd))
    {
        Fail(State::Crashed);
        m_gone = true;
        return false;
    }
    m_block = std::make_unique<IsolationBlock>(m_memory.Data());
    m_channel = std::make_unique<IsolationChannel>(m_socket);
    const std::vector<std::string> arguments{
        IsolationArguments::kSocket, std::to_string(m_childEnd.Descriptor()), IsolationArguments::kMemory,
        std::to_string(m_memory.Descriptor())};
    const bool started =
        m_process.Start(program, arguments, {m_childEnd.Descriptor(), m_memory.Descriptor()});
    // Our copy of the child's end would keep the socket open after the child died.
    m_childEnd.Close();
    if (!started)
    {
        Fail(State::Crashed);
        m_gone = true;
        return false;
    }
    m_watcher = std::thread([this] { Watch(); });
    return true;
}

void IsolationProcess::Watch()
{
    m_exit = m_process.WaitForExit();
    Fail(State::Crashed);
    // The child is gone, so nothing else writes the block any more.
    IsolationBlock::Header& fields = m_block->Fields();
    fields.done.store(IsolationBlock::kChildGone, std::memory_order_release);
    m_gone.store(true, std::memory_order_release);
    Platform::WakeWordSleepers(fields.done);
    const State state = m_state.load();
    if (state == State::Hung)
        DebugOut("IsolationProcess - the plug-in's process hung and was killed");
    else if (m_exit.signalled)
        DebugOut("IsolationProcess - the plug-in's process died of signal %d", m_exit.number);
    else
        DebugOut("IsolationProcess - the plug-in's process exited with code %d", m_exit.number);
}

void IsolationProcess::Fail(State state)
{
    State running = State::Running;
    m_state.compare_exchange_strong(running, state);
}

void IsolationProcess::KillAsHung()
{
    Fail(State::Hung);
    m_process.Kill();
}

void IsolationProcess::Stop()
{
    if (!m_watcher.joinable())
        return;
    // Asked to stop, a process is not blamed for how it ends.
    Fail(State::Stopped);
    if (!Gone())
    {
        IsolationBlock::Header& fields = m_block->Fields();
        fields.quit.store(1, std::memory_order_release);
        fields.request.fetch_add(1, std::memory_order_release);
        Platform::WakeWordSleepers(fields.request);
        m_channel->Send(std::uint32_t(IsolationRequest::Quit), IsolationMessage());
        const std::uint64_t start = Platform::MonotonicMicroseconds();
        while (!Gone() && Platform::MonotonicMicroseconds() - start < std::uint64_t(kStopWaitMs) * 1000)
            m_socket.Readable(kStopPollMs);
    }
    m_process.Kill();
    m_watcher.join();
}

bool IsolationProcess::ReadFrame(std::uint32_t& kind, IsolationMessage& message, int timeoutMs)
{
    const IsolationChannel::Result result = m_channel->Receive(kind, message, timeoutMs);
    if (result == IsolationChannel::Result::Done)
        return true;
    if (result == IsolationChannel::Result::TimedOut)
        KillAsHung();
    else
    {
        Fail(State::Crashed);
        m_process.Kill();
    }
    return false;
}

bool IsolationProcess::Call(IsolationRequest request, const IsolationMessage& arguments,
                            IsolationMessage& reply, int timeoutMs)
{
    if (Gone() || CurrentState() != State::Running)
        return false;
    if (!m_channel->Send(std::uint32_t(request), arguments))
    {
        Fail(State::Crashed);
        m_process.Kill();
        return false;
    }
    for (;;)
    {
        std::uint32_t kind = 0;
        IsolationMessage message;
        if (!ReadFrame(kind, message, timeoutMs))
            return false;
        if (kind == IsolationFrame::kNotice)
        {
            m_notices.push_back(std::move(message));
            continue;
        }
        if (kind != IsolationFrame::kReply)
        {
            Fail(State::Crashed);
            m_process.Kill();
            return false;
        }
        reply = std::move(message);
        return true;
    }
}

void IsolationProcess::TakeNotices(std::vector<IsolationMessage>& notices)
{
    // The child counts a notice after sending it, so a changed count means
    // its frames are already in the socket.
    const std::uint32_t sent = m_block ? m_block->Fields().notices.load(std::memory_order_acquire) : 0;
    if (sent != m_noticesSeen)
    {
        m_noticesSeen = sent;
        std::uint32_t kind = 0;
        IsolationMessage message;
        while (!Gone() && m_channel->Readable(0) && ReadFrame(kind, message, kNoticeRestMs))
            if (kind == IsolationFrame::kNotice)
                m_notices.push_back(std::move(message));
    }
    notices = std::move(m_notices);
    m_notices.clear();
}

std::wstring IsolationProcess::FailureText() const
{
    switch (CurrentState())
    {
    case State::Running:
        return {};
    case State::Stopped:
        return L"the plug-in's process was stopped";
    case State::Hung:
        return L"the plug-in hung";
    case State::Crashed:
        break;
    }
    if (!Gone())
        return L"the plug-in crashed";
    if (m_exit.signalled)
        return L"the plug-in crashed (signal " + std::to_wstring(m_exit.number) + L")";
    return L"the plug-in crashed (its process exited with code " + std::to_wstring(m_exit.number) + L")";
}
