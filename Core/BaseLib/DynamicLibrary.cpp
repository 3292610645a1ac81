#include "Core/BaseLib/DynamicLibrary.h"

bool DynamicLibrary::Load(const QString& path)
{
    if (m_handle)
        return true;
    m_handle = Platform::OpenLibrary(path.toStdString());
    m_error = m_handle ? std::string() : Platform::LastLibraryError();
    return m_handle != nullptr;
}

void DynamicLibrary::Unload()
{
    Platform::CloseLibrary(m_handle);
    m_handle = nullptr;
}
