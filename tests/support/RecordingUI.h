#pragma once

#include "Main/VLib/VUI.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace TestSupport
{
// The progress interface as a scan sees it, recording what it is told.
class RecordingUI : public VUI
{
public:
    void SetMessage(const std::wstring& text) override;
    void SetMessage(int, const std::wstring& text) override { SetMessage(text); }
    void UserWarning(const std::wstring&, bool) override {}
    VRef<VProgressDisplay> CreateProgressDisplay(bool flag) override;
    void RequestShow(int) override {}

    // What followed "Scanning: " in each status message, in order.
    QStringList Probed() const;

    std::vector<std::wstring> messages;
    bool cancelled = false;
    // Runs on every status message, while the scan waits.
    std::function<void(const std::wstring&)> onMessage;
};

// Installs a RecordingUI as the current progress interface while it lives.
class ScopedUI
{
public:
    ScopedUI();
    ~ScopedUI();
    RecordingUI* operator->() const { return m_ui.get(); }

private:
    std::shared_ptr<RecordingUI> m_ui;
};
} // namespace TestSupport
