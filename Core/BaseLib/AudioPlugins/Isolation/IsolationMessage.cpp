#include "Core/BaseLib/AudioPlugins/Isolation/IsolationMessage.h"

#include <QString>
#include <cstring>

namespace
{
template <class T> T Decode(const char* bytes)
{
    T value{};
    if (bytes)
        std::memcpy(&value, bytes, sizeof(T));
    return value;
}
} // namespace

IsolationMessage& IsolationMessage::PutU32(std::uint32_t value)
{
    m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    return *this;
}

IsolationMessage& IsolationMessage::PutU64(std::uint64_t value)
{
    m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    return *this;
}

IsolationMessage& IsolationMessage::PutFloat(float value)
{
    m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    return *this;
}

IsolationMessage& IsolationMessage::PutBytes(const QByteArray& bytes)
{
    PutU32(std::uint32_t(bytes.size()));
    m_bytes.append(bytes);
    return *this;
}

IsolationMessage& IsolationMessage::PutText(const std::wstring& text)
{
    return PutBytes(QString::fromStdWString(text).toUtf8());
}

IsolationMessage& IsolationMessage::PutNarrow(const std::string& text)
{
    return PutBytes(QByteArray::fromStdString(text));
}

const char* IsolationMessage::Take(std::uint32_t bytes)
{
    if (m_failed || bytes > Left())
    {
        m_failed = true;
        return nullptr;
    }
    const char* taken = m_bytes.constData() + m_read;
    m_read += bytes;
    return taken;
}

std::uint32_t IsolationMessage::TakeU32()
{
    return Decode<std::uint32_t>(Take(sizeof(std::uint32_t)));
}

std::uint64_t IsolationMessage::TakeU64()
{
    return Decode<std::uint64_t>(Take(sizeof(std::uint64_t)));
}

float IsolationMessage::TakeFloat()
{
    return Decode<float>(Take(sizeof(float)));
}

QByteArray IsolationMessage::TakeBytes()
{
    const std::uint32_t length = TakeU32();
    const char* bytes = Take(length);
    return bytes ? QByteArray(bytes, int(length)) : QByteArray();
}

std::wstring IsolationMessage::TakeText()
{
    return QString::fromUtf8(TakeBytes()).toStdWString();
}

std::string IsolationMessage::TakeNarrow()
{
    return TakeBytes().toStdString();
}

std::uint32_t IsolationMessage::TakeCount(std::uint32_t minimumItemBytes)
{
    const std::uint32_t count = TakeU32();
    if (m_failed || (minimumItemBytes > 0 && count > Left() / minimumItemBytes))
    {
        m_failed = true;
        return 0;
    }
    return count;
}
