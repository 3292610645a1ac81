#pragma once

#include <string>

namespace Platform
{
// An advisory lock on a file, shared by every process that locks the same
// path: held from a successful TryLock() until the object goes. The system
// releases it when its holder dies, so a killed holder never leaves it taken.
class FileLock
{
public:
    enum class Outcome
    {
        Locked,
        // Another holder has it.
        Busy,
        // The file cannot be opened, or its file system keeps no locks.
        Unavailable,
    };

    // The file is created when it does not exist.
    explicit FileLock(std::string utf8Path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    Outcome TryLock();

private:
    const std::string m_path;
    int m_descriptor = -1;
    bool m_locked = false;
};
} // namespace Platform
