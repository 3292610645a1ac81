#include "Core/BaseLib/AudioPlugins/Isolation/IsolationChannel.h"

namespace
{
struct Frame
{
    std::uint32_t kind = 0;
    std::uint32_t length = 0;
};
} // namespace

bool IsolationChannel::Send(std::uint32_t kind, const IsolationMessage& message)
{
    const Frame frame{kind, std::uint32_t(message.Bytes().size())};
    const std::lock_guard<std::mutex> lock(m_sendLock);
    return m_socket.Send(&frame, sizeof frame) == Result::Done &&
           m_socket.Send(message.Bytes().constData(), frame.length) == Result::Done;
}

IsolationChannel::Result IsolationChannel::Receive(std::uint32_t& kind, IsolationMessage& message,
                                                   int timeoutMs)
{
    Frame frame;
    Result result = m_socket.Receive(&frame, sizeof frame, timeoutMs);
    if (result != Result::Done)
        return result;
    if (frame.length > IsolationMessage::kMaxBytes)
        return Result::Closed;
    QByteArray bytes(int(frame.length), Qt::Uninitialized);
    result = m_socket.Receive(bytes.data(), frame.length, timeoutMs);
    if (result == Result::Done)
    {
        kind = frame.kind;
        message = IsolationMessage(std::move(bytes));
    }
    // A frame cut short leaves the stream out of step: nothing after it can be read.
    return result == Result::TimedOut ? Result::Closed : result;
}
