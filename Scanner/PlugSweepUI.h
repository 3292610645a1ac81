#pragma once

#include "Main/VLib/VUI.h"

class ScanWindow;

// The scanner's progress interface: everything the scan reports becomes a
// pending value of the dialog, applied by its timer on the main thread.
class PlugSweepUI : public VUI
{
public:
    explicit PlugSweepUI(ScanWindow* dialog) : m_dialog(dialog) {}

    void SetMessage(const std::wstring& text) override;
    void SetMessage(int code, const std::wstring& text) override;
    void UserWarning(const std::wstring&, bool) override {}
    VRef<VProgressDisplay> CreateProgressDisplay(bool flag) override;
    void RequestShow(int flag) override;

private:
    ScanWindow* m_dialog;
};
