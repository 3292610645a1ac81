#include "Main/VLib/VUI.h"

#include <cstdarg>
#include <cwchar>
#include <mutex>

namespace
{
std::mutex g_currentLock;
std::shared_ptr<VUI> g_current;
} // namespace

void SetCurrentVUI(std::shared_ptr<VUI> ui)
{
    std::lock_guard<std::mutex> lock(g_currentLock);
    g_current = std::move(ui);
}

std::shared_ptr<VUI> CurrentVUI()
{
    std::lock_guard<std::mutex> lock(g_currentLock);
    return g_current;
}

void VUISetMessage(int code, const wchar_t* format, ...)
{
    const std::shared_ptr<VUI> ui = CurrentVUI();
    if (!ui)
        return;
    wchar_t text[550] = {};
    va_list args;
    va_start(args, format);
    std::vswprintf(text, 550, format, args);
    va_end(args);
    text[549] = L'\0';
    ui->SetMessage(code, text);
}

void VUIRequestShow(int flag)
{
    if (const std::shared_ptr<VUI> ui = CurrentVUI())
        ui->RequestShow(flag);
}

VRef<VProgressDisplay> VUICreateProgressDisplay(bool flag)
{
    const std::shared_ptr<VUI> ui = CurrentVUI();
    return ui ? ui->CreateProgressDisplay(flag) : VRef<VProgressDisplay>();
}
