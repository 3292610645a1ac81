#pragma once

#include "Main/VLib/VProgressDisplay.h"

class ScanWindow;

// A progress display bound to the scanner's dialog. Only value changes that
// the user should see reach the bar; the rest is bookkeeping.
class VSTProgress : public VProgressDisplay
{
public:
    explicit VSTProgress(ScanWindow* dialog) : m_dialog(dialog) {}

    void SetTextAndValue(const std::wstring& text, std::int32_t value) override;
    std::int32_t Complete() override;
    void SetValue(std::int32_t value) override;
    void Advance(std::int32_t delta) override;
    void Start(std::int32_t maximum, const std::wstring& text) override;
    void SetText(const std::wstring& text) override;
    bool IsCancelled() override;

private:
    ScanWindow* m_dialog;
    std::int32_t m_value = 0;
    std::int32_t m_maximum = 0;
};
