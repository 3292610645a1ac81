#pragma once

#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlock.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationChannel.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationMessage.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationProtocol.h"
#include "Platform/HelperProcess.h"
#include "Platform/LocalSocket.h"
#include "Platform/SharedMemory.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// One process that hosts an isolated plug-in, seen from the host: started
// with the shared block and the socket, asked requests one at a time, and
// watched by a thread of its own that notices at once when it ends, for
// whatever reason, and wakes whoever waits on its block.
class IsolationProcess
{
public:
    enum class State : std::uint32_t
    {
        Running,
        // It died, was killed for talking nonsense, or never answered the first request.
        Crashed,
        // It missed its deadlines or did not answer a request in time, and was killed.
        Hung,
        // Ended on our request.
        Stopped,
    };

    IsolationProcess() = default;
    ~IsolationProcess();
    IsolationProcess(const IsolationProcess&) = delete;
    IsolationProcess& operator=(const IsolationProcess&) = delete;

    // False, with the process Crashed, when it could not be started.
    bool Start(const std::string& program);
    // Sends the request and waits for its reply; notices that arrive first
    // are kept for TakeNotices. False when the process is gone, or is killed
    // because it did not answer within timeoutMs or answered nonsense.
    bool Call(IsolationRequest request, const IsolationMessage& arguments, IsolationMessage& reply,
              int timeoutMs);
    // The notices the plug-in sent since the last call; reads the socket
    // only when the block says there are new ones.
    void TakeNotices(std::vector<IsolationMessage>& notices);
    // Asks the process to end, then kills it if it does not.
    void Stop();
    // For the processing thread: no locks, no allocation.
    void KillAsHung();

    IsolationBlock& Block() { return *m_block; }
    State CurrentState() const { return m_state.load(std::memory_order_acquire); }
    bool Gone() const { return m_gone.load(std::memory_order_acquire); }
    // Empty while it runs; else what happened, for the user.
    std::wstring FailureText() const;

private:
    void Watch();
    void Fail(State state);
    bool ReadFrame(std::uint32_t& kind, IsolationMessage& message, int timeoutMs);

    Platform::SharedMemory m_memory;
    std::unique_ptr<IsolationBlock> m_block;
    Platform::LocalSocket m_socket;
    Platform::LocalSocket m_childEnd;
    std::unique_ptr<IsolationChannel> m_channel;
    Platform::HelperProcess m_process;
    std::thread m_watcher;
    std::atomic<State> m_state{State::Running};
    std::atomic<bool> m_gone{false};
    Platform::HelperProcess::Exit m_exit;
    std::uint32_t m_noticesSeen = 0;
    std::vector<IsolationMessage> m_notices;
};
