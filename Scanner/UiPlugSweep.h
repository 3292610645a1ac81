#pragma once

#include "Scanner/ScanWindow.h"

#include <QDialog>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class QApplication;
class QLabel;
class QProgressBar;
class QVBoxLayout;

// The scanner's small progress window. A worker thread performs the scan and
// only leaves pending values here; a 50 ms timer on the main thread applies
// them to the widgets, shows the window when asked and closes it when the
// worker has finished, which ends the event loop.
class UiPlugSweep : public QDialog, public ScanWindow
{
    Q_OBJECT

public:
    // What the worker thread runs with the preferences root.
    using ScanJob = std::function<void(const std::wstring& preferencesRoot)>;

    UiPlugSweep(const std::wstring& preferencesRoot, QWidget* parent, ScanJob job);
    ~UiPlugSweep() override;

    // Runs the event loop; returns when the dialog has closed.
    void Run(QApplication& application, bool defaultPath);

    void SetPendingText(const QString& text) override;
    void SetPendingValue(std::uint32_t value) override { m_pendingValue = value; }
    void SetPendingRange(std::int32_t minimum, std::int32_t maximum) override;
    void RequestShow() override;
    bool IsClosed() const override { return m_closed; }

public slots:
    void OnTimer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SetupForm();
    void Work();

    QVBoxLayout* verticalLayout_3 = nullptr;
    QLabel* label = nullptr;
    QProgressBar* progressBar = nullptr;

    const std::wstring m_preferencesRoot;
    const ScanJob m_job;
    std::atomic<bool> m_shown{false};
    std::atomic<bool> m_closed{false};
    std::atomic<bool> m_showPending{false};
    std::atomic<bool> m_finished{false};
    std::mutex m_textLock;
    QString m_pendingText;
    std::atomic<std::uint32_t> m_pendingValue{kNoValue};
    // Minimum in the high half, maximum in the low half: one word, so the
    // timer never applies half of a range. Equal halves mean no new range.
    std::atomic<std::uint64_t> m_pendingRange{0};
    std::thread m_worker;
};
