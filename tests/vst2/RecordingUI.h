#pragma once

#include "Main/VLib/VUI.h"

#include <QStringList>
#include <functional>

// The scanner's progress interface as the scan sees it: records the files and
// sub-plug-ins it is told are being probed and the show requests, and can be
// closed, as a user closes the scanner's window, once some probes started.
class RecordingUI : public VUI
{
public:
    void SetMessage(const std::wstring& text) override;
    void SetMessage(int code, const std::wstring& text) override;
    void UserWarning(const std::wstring&, bool) override {}
    VRef<VProgressDisplay> CreateProgressDisplay(bool flag) override;
    void RequestShow(int flag) override;

    // What followed "Scanning: " in each status message, in order.
    const QStringList& Probed() const { return m_probed; }
    int ShowRequests() const { return m_showRequests; }
    void CloseAfterProbes(int count) { m_closeAfter = count; }
    // Runs after each status message is recorded.
    void OnMessage(std::function<void()> hook) { m_hook = std::move(hook); }

private:
    class Progress;

    QStringList m_probed;
    int m_showRequests = 0;
    int m_closeAfter = -1;
    std::function<void()> m_hook;
};
