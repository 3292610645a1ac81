#include "Platform/LocalSocket.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Platform
{
LocalSocket::~LocalSocket()
{
    Close();
}

void LocalSocket::Close()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
}

bool LocalSocket::CreatePair(LocalSocket& first, LocalSocket& second)
{
    int descriptors[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, descriptors) != 0)
        return false;
    first.Close();
    second.Close();
    first.m_descriptor = descriptors[0];
    second.m_descriptor = descriptors[1];
    return true;
}

LocalSocket::Result LocalSocket::Send(const void* data, std::size_t bytes)
{
    const char* next = static_cast<const char*>(data);
    while (bytes > 0)
    {
        const ssize_t sent = ::send(m_descriptor, next, bytes, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return Result::Closed;
        next += sent;
        bytes -= std::size_t(sent);
    }
    return Result::Done;
}

bool LocalSocket::Readable(int timeoutMs)
{
    pollfd entry{m_descriptor, POLLIN, 0};
    int ready = -1;
    do
        ready = ::poll(&entry, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    return ready != 0;
}

LocalSocket::Result LocalSocket::Receive(void* data, std::size_t bytes, int timeoutMs)
{
    char* next = static_cast<char*>(data);
    while (bytes > 0)
    {
        if (!Readable(timeoutMs))
            return Result::TimedOut;
        const ssize_t received = ::recv(m_descriptor, next, bytes, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0)
            return Result::Closed;
        next += received;
        bytes -= std::size_t(received);
    }
    return Result::Done;
}
} // namespace Platform
