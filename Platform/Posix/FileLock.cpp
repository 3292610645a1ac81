#include "Platform/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Platform
{
FileLock::FileLock(std::string utf8Path) : m_path(std::move(utf8Path)) {}

FileLock::~FileLock()
{
    // Closing the last descriptor of the open file releases the lock.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

FileLock::Outcome FileLock::TryLock()
{
    if (m_locked)
        return Outcome::Locked;
    // Not inherited: a scanner started while the lock is held must not keep it.
    if (m_descriptor < 0)
        m_descriptor = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_descriptor < 0)
        return Outcome::Unavailable;
    if (::flock(m_descriptor, LOCK_EX | LOCK_NB) == 0)
    {
        m_locked = true;
        return Outcome::Locked;
    }
    return errno == EWOULDBLOCK ? Outcome::Busy : Outcome::Unavailable;
}
} // namespace Platform
