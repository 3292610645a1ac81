#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>

// The payload of one message between the host and an isolated plug-in's
// process: values appended in order and taken back in the same order. What
// the other process sent is untrusted, so taking past the end or a length
// beyond what is left yields an empty value and marks the message failed
// instead of reading on.
class IsolationMessage
{
public:
    // The most any message may carry; a longer frame ends the conversation.
    static constexpr std::uint32_t kMaxBytes = 64u << 20;

    IsolationMessage() = default;
    explicit IsolationMessage(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    IsolationMessage& PutU32(std::uint32_t value);
    IsolationMessage& PutI32(std::int32_t value) { return PutU32(std::uint32_t(value)); }
    IsolationMessage& PutU64(std::uint64_t value);
    IsolationMessage& PutFloat(float value);
    IsolationMessage& PutBytes(const QByteArray& bytes);
    IsolationMessage& PutText(const std::wstring& text);
    IsolationMessage& PutNarrow(const std::string& text);

    std::uint32_t TakeU32();
    std::int32_t TakeI32() { return std::int32_t(TakeU32()); }
    std::uint64_t TakeU64();
    float TakeFloat();
    bool TakeBool() { return TakeU32() != 0; }
    QByteArray TakeBytes();
    std::wstring TakeText();
    std::string TakeNarrow();
    // A count of items that each take at least minimumItemBytes: one the
    // rest of the message cannot hold fails the message and gives 0.
    std::uint32_t TakeCount(std::uint32_t minimumItemBytes);

    bool Failed() const { return m_failed; }
    const QByteArray& Bytes() const { return m_bytes; }

private:
    const char* Take(std::uint32_t bytes);
    std::uint32_t Left() const { return std::uint32_t(m_bytes.size()) - m_read; }

    QByteArray m_bytes;
    std::uint32_t m_read = 0;
    bool m_failed = false;
};
