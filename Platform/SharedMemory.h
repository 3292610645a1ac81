#pragma once

#include <cstddef>

namespace Platform
{
// A block of memory that two processes map at once: created anonymous by the
// parent, whose descriptor the child inherits and maps too. Nothing in the
// file system names it, so nothing is left behind when both go.
class SharedMemory
{
public:
    SharedMemory() = default;
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Zero-filled; false when the system refuses.
    bool Create(std::size_t bytes);
    // Maps a block another process created, through its inherited descriptor.
    bool Attach(int descriptor, std::size_t bytes);

    void* Data() const { return m_data; }
    // -1 when nothing is mapped.
    int Descriptor() const { return m_descriptor; }

private:
    void Release();

    void* m_data = nullptr;
    std::size_t m_size = 0;
    int m_descriptor = -1;
};
} // namespace Platform
