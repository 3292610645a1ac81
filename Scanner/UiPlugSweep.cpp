#include "Scanner/UiPlugSweep.h"

#include "Core/BaseLib/Debug.h"
#include "Scanner/PlugSweepUI.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

UiPlugSweep::UiPlugSweep(const std::wstring& preferencesRoot, QWidget* parent, ScanJob job)
    : QDialog(parent), m_preferencesRoot(preferencesRoot), m_job(std::move(job))
{
    SetupForm();
    SetCurrentVUI(std::make_shared<PlugSweepUI>(this));
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowCloseButtonHint);
    m_worker = std::thread(&UiPlugSweep::Work, this);
}

UiPlugSweep::~UiPlugSweep()
{
    m_closed = true;
    // Joining from the worker itself throws resource_deadlock_would_occur,
    // which ends the process as it must.
    m_worker.join();
    SetCurrentVUI(nullptr);
}

void UiPlugSweep::SetupForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("PlugSweepClass"));
    resize(333, 80);
    setMinimumSize(333, 80);
    setMaximumSize(333, 80);
    setStyleSheet(QStringLiteral("QDialog {background-color:rgb(55, 57, 62);\nborder: 1px solid black; }\n"));

    verticalLayout_3 = new QVBoxLayout(this);
    verticalLayout_3->setSpacing(6);
    verticalLayout_3->setContentsMargins(11, 11, 11, 11);
    verticalLayout_3->setObjectName(QStringLiteral("verticalLayout_3"));
    verticalLayout_3->setContentsMargins(20, -1, 20, 20);

    label = new QLabel(this);
    label->setObjectName(QStringLiteral("label"));
    QPalette palette;
    const QBrush grey(QColor(200, 200, 200, 255), Qt::SolidPattern);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setBrush(group, role, grey);
    label->setPalette(palette);
    QFont font;
    font.setPointSize(10);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color:rgb(200,200,200);"));
    verticalLayout_3->addWidget(label);

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHorizontalStretch(0);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(progressBar->sizePolicy().hasHeightForWidth());
    progressBar->setSizePolicy(policy);
    progressBar->setStyleSheet(QStringLiteral("background:rgb(67, 71, 77);\n\n"));
    progressBar->setValue(24);
    progressBar->setTextVisible(false);
    verticalLayout_3->addWidget(progressBar);

    setWindowTitle(QApplication::translate("PlugSweepClass", "Corvane Audio FX", nullptr));
    QMetaObject::connectSlotsByName(this);
}

void UiPlugSweep::Work()
{
    // Whatever the scan throws, the dialog must still close and the process
    // end normally: results already written stay.
    try
    {
        m_job(m_preferencesRoot);
    }
    catch (const std::exception& e)
    {
        DebugOut("UiPlugSweep - scan ended by an exception: %s", e.what());
    }
    catch (...)
    {
        DebugOut("UiPlugSweep - scan ended by an exception");
    }
    m_finished = true;
}

void UiPlugSweep::Run(QApplication& application, bool defaultPath)
{
    if (!defaultPath)
        setWindowState(Qt::WindowMinimized);
    else if (!m_shown.exchange(true))
        m_showPending = true;
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &UiPlugSweep::OnTimer);
    timer->start(50);
    application.exec();
}

void UiPlugSweep::SetPendingText(const QString& text)
{
    std::lock_guard<std::mutex> lock(m_textLock);
    m_pendingText = text;
}

void UiPlugSweep::SetPendingRange(std::int32_t minimum, std::int32_t maximum)
{
    m_pendingRange = std::uint64_t(std::uint32_t(minimum)) << 32 | std::uint32_t(maximum);
}

void UiPlugSweep::RequestShow()
{
    if (!m_shown.exchange(true))
        m_showPending = true;
}

void UiPlugSweep::OnTimer()
{
    if (m_finished)
    {
        close();
        return;
    }
    if (m_showPending.exchange(false))
    {
        setWindowState(Qt::WindowNoState);
        show();
        raise();
        activateWindow();
    }
    QString text;
    {
        std::lock_guard<std::mutex> lock(m_textLock);
        text.swap(m_pendingText);
    }
    if (!text.isEmpty())
        label->setText(text);
    const std::uint64_t range = m_pendingRange.exchange(0);
    const std::int32_t minimum = std::int32_t(range >> 32);
    const std::int32_t maximum = std::int32_t(range & 0xFFFFFFFF);
    if (minimum != maximum)
    {
        progressBar->setMinimum(minimum);
        progressBar->setMaximum(maximum);
    }
    const std::uint32_t value = m_pendingValue.exchange(kNoValue);
    if (value != kNoValue)
        progressBar->setValue(int(value));
    QCoreApplication::processEvents();
}

void UiPlugSweep::closeEvent(QCloseEvent* event)
{
    m_closed = true;
    QDialog::closeEvent(event);
}
