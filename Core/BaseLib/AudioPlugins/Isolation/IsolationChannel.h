#pragma once

#include "Core/BaseLib/AudioPlugins/Isolation/IsolationMessage.h"
#include "Platform/LocalSocket.h"

#include <cstdint>
#include <mutex>

// Frames messages over one end of the socket between the host and an
// isolated plug-in's process: a kind, a length and the payload. Sends from
// several threads do not interleave; receiving is for one thread.
class IsolationChannel
{
public:
    using Result = Platform::LocalSocket::Result;

    explicit IsolationChannel(Platform::LocalSocket& socket) : m_socket(socket) {}

    bool Send(std::uint32_t kind, const IsolationMessage& message);
    // A frame longer than IsolationMessage::kMaxBytes counts as Closed: the
    // other side is not speaking the protocol any more.
    Result Receive(std::uint32_t& kind, IsolationMessage& message, int timeoutMs);
    bool Readable(int timeoutMs) { return m_socket.Readable(timeoutMs); }

private:
    Platform::LocalSocket& m_socket;
    std::mutex m_sendLock;
};
