#pragma once

#include "Main/VLib/VProgressDisplay.h"

#include <memory>
#include <string>

// The engine's progress and message interface. One process-wide VUI is
// current; engine code reaches it through the free functions below, which do
// nothing while none is installed.
class VUI
{
public:
    // Status text shown to the user.
    static constexpr int kStatusMessage = 60000;
    // Ends what a kStatusMessage started.
    static constexpr int kStatusDone = 1000;
    // What the scans pass to RequestShow.
    static constexpr int kShowAll = 0x0FFFFFFF;

    virtual ~VUI() = default;

    virtual void SetMessage(const std::wstring& text) = 0;
    virtual void SetMessage(int code, const std::wstring& text) = 0;
    virtual void UserWarning(const std::wstring& text, bool flag) = 0;
    virtual VRef<VProgressDisplay> CreateProgressDisplay(bool flag) = 0;
    virtual void RequestShow(int flag) = 0;
};

void SetCurrentVUI(std::shared_ptr<VUI> ui);
std::shared_ptr<VUI> CurrentVUI();

// Formats through a 550-character buffer, then VUI::SetMessage(code, text).
void VUISetMessage(int code, const wchar_t* format, ...);
void VUIRequestShow(int flag);
VRef<VProgressDisplay> VUICreateProgressDisplay(bool flag);
