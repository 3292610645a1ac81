#pragma once

#include <cstddef>

namespace Platform
{
// One end of a connected pair of local stream sockets. Writing to an end
// whose peer died fails instead of raising SIGPIPE.
class LocalSocket
{
public:
    enum class Result
    {
        Done,
        TimedOut,
        // The peer closed its end or died; or the socket failed.
        Closed,
    };

    LocalSocket() = default;
    explicit LocalSocket(int descriptor) : m_descriptor(descriptor) {}
    ~LocalSocket();
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;

    // Both ends close-on-exec; false when the system refuses.
    static bool CreatePair(LocalSocket& first, LocalSocket& second);

    bool IsOpen() const { return m_descriptor >= 0; }
    int Descriptor() const { return m_descriptor; }
    void Close();

    Result Send(const void* data, std::size_t bytes);
    // Reads exactly `bytes`, waiting at most timeoutMs for each piece
    // (negative: no limit).
    Result Receive(void* data, std::size_t bytes, int timeoutMs);
    // True when something can be read now, or the peer has gone.
    bool Readable(int timeoutMs);

private:
    int m_descriptor = -1;
};
} // namespace Platform
