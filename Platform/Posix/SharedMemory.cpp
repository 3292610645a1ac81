#include "Platform/SharedMemory.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform
{
SharedMemory::~SharedMemory()
{
    Release();
}

void SharedMemory::Release()
{
    if (m_data)
        ::munmap(m_data, m_size);
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_data = nullptr;
    m_size = 0;
    m_descriptor = -1;
}

bool SharedMemory::Create(std::size_t bytes)
{
    Release();
    // Close-on-exec: only the child that is handed the descriptor keeps it.
    const int descriptor = ::memfd_create("plugsweep-isolation", MFD_CLOEXEC);
    if (descriptor < 0)
        return false;
    if (::ftruncate(descriptor, off_t(bytes)) != 0)
    {
        ::close(descriptor);
        return false;
    }
    return Attach(descriptor, bytes);
}

bool SharedMemory::Attach(int descriptor, std::size_t bytes)
{
    struct stat status
    {
    };
    // A descriptor shorter than asked for would fault on the first touch past its end.
    if (::fstat(descriptor, &status) != 0 || std::size_t(status.st_size) < bytes)
        return false;
    void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (data == MAP_FAILED)
        return false;
    m_data = data;
    m_size = bytes;
    m_descriptor = descriptor;
    return true;
}
} // namespace Platform
