#include "Scanner/VSTProgress.h"

#include "Scanner/ScanWindow.h"

void VSTProgress::SetTextAndValue(const std::wstring& text, std::int32_t value)
{
    m_dialog->SetPendingText(QString::fromStdWString(text));
    m_value = value;
}

std::int32_t VSTProgress::Complete()
{
    m_value = m_maximum;
    return m_value;
}

void VSTProgress::SetValue(std::int32_t value)
{
    m_value = value;
    m_dialog->SetPendingValue(std::uint32_t(value));
}

void VSTProgress::Advance(std::int32_t delta)
{
    m_value += delta;
    m_dialog->SetPendingValue(std::uint32_t(m_value));
}

void VSTProgress::Start(std::int32_t maximum, const std::wstring& text)
{
    m_maximum = maximum;
    m_dialog->SetPendingRange(0, maximum);
    m_dialog->SetPendingText(QString::fromStdWString(text));
}

void VSTProgress::SetText(const std::wstring& text)
{
    m_dialog->SetPendingText(QString::fromStdWString(text));
}

bool VSTProgress::IsCancelled()
{
    return m_dialog->IsClosed();
}
