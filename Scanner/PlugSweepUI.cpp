#include "Scanner/PlugSweepUI.h"

#include "Scanner/ScanWindow.h"
#include "Scanner/VSTProgress.h"

#include <QCoreApplication>

void PlugSweepUI::SetMessage(const std::wstring& text)
{
    QCoreApplication::processEvents();
    m_dialog->SetPendingText(QString::fromStdWString(text));
    QCoreApplication::processEvents();
}

void PlugSweepUI::SetMessage(int, const std::wstring& text)
{
    SetMessage(text);
}

VRef<VProgressDisplay> PlugSweepUI::CreateProgressDisplay(bool)
{
    return VRef<VProgressDisplay>::Adopt(new VSTProgress(m_dialog));
}

void PlugSweepUI::RequestShow(int)
{
    m_dialog->RequestShow();
}
