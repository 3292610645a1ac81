#include "support/RecordingUI.h"

namespace TestSupport
{
namespace
{
class RecordingProgress : public VProgressDisplay
{
public:
    explicit RecordingProgress(RecordingUI& ui) : m_ui(ui) {}
    void SetTextAndValue(const std::wstring&, std::int32_t) override {}
    std::int32_t Complete() override { return 0; }
    void SetValue(std::int32_t) override {}
    void Advance(std::int32_t) override {}
    void Start(std::int32_t, const std::wstring&) override {}
    void SetText(const std::wstring&) override {}
    bool IsCancelled() override { return m_ui.cancelled; }

private:
    RecordingUI& m_ui;
};
} // namespace

void RecordingUI::SetMessage(const std::wstring& text)
{
    messages.push_back(text);
    if (onMessage)
        onMessage(text);
}

VRef<VProgressDisplay> RecordingUI::CreateProgressDisplay(bool)
{
    return VRef<VProgressDisplay>::Adopt(new RecordingProgress(*this));
}

QStringList RecordingUI::Probed() const
{
    const std::wstring prefix = L"Scanning: ";
    QStringList probed;
    for (const std::wstring& message : messages)
        if (message.compare(0, prefix.size(), prefix) == 0)
            probed << QString::fromStdWString(message.substr(prefix.size()));
    return probed;
}

ScopedUI::ScopedUI() : m_ui(std::make_shared<RecordingUI>())
{
    SetCurrentVUI(m_ui);
}

ScopedUI::~ScopedUI()
{
    SetCurrentVUI(nullptr);
}
} // namespace TestSupport
