#include "RecordingUI.h"

class RecordingUI::Progress : public VProgressDisplay
{
public:
    explicit Progress(const RecordingUI& ui) : m_ui(ui) {}

    void SetTextAndValue(const std::wstring&, std::int32_t) override {}
    std::int32_t Complete() override { return 0; }
    void SetValue(std::int32_t) override {}
    void Advance(std::int32_t) override {}
    void Start(std::int32_t, const std::wstring&) override {}
    void SetText(const std::wstring&) override {}
    bool IsCancelled() override
    {
        return m_ui.m_closeAfter >= 0 && m_ui.m_probed.size() >= m_ui.m_closeAfter;
    }

private:
    const RecordingUI& m_ui;
};

void RecordingUI::SetMessage(const std::wstring& text)
{
    const QString message = QString::fromStdWString(text);
    const QString prefix = QStringLiteral("Scanning: ");
    if (message.startsWith(prefix))
        m_probed << message.mid(prefix.size());
    if (m_hook)
        m_hook();
}

void RecordingUI::SetMessage(int, const std::wstring& text)
{
    SetMessage(text);
}

VRef<VProgressDisplay> RecordingUI::CreateProgressDisplay(bool)
{
    return VRef<VProgressDisplay>::Adopt(new Progress(*this));
}

void RecordingUI::RequestShow(int)
{
    ++m_showRequests;
}
