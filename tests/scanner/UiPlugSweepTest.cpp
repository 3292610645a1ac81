#include "Scanner/UiPlugSweep.h"
#include "Main/VLib/VUI.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <set>

namespace
{
QApplication& App()
{
    static int argc = 1;
    static char name[] = "scanner_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// A scan that waits until the test lets it finish.
struct Gate
{
    std::atomic<bool> open{false};
    UiPlugSweep::ScanJob Job()
    {
        return [this](const std::wstring&)
        {
            while (!open)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
    }
};

// Runs the event loop for a while, then lets the scan finish.
void RunFor(UiPlugSweep& dialog, Gate& gate, bool defaultPath, int ms,
            const std::function<void()>& atTheEnd = {})
{
    QTimer::singleShot(ms,
                       [&]
                       {
                           if (atTheEnd)
                               atTheEnd();
                           gate.open = true;
                       });
    dialog.Run(App(), defaultPath);
}

class UiPlugSweepTest : public ::testing::Test
{
protected:
    void SetUp() override { App(); }
    Gate gate;
};
} // namespace

TEST_F(UiPlugSweepTest, FormIsTheFixedDarkDialog)
{
    UiPlugSweep dialog(L"/prefs", nullptr, gate.Job());
    EXPECT_EQ(dialog.minimumSize(), QSize(333, 80));
    EXPECT_EQ(dialog.maximumSize(), QSize(333, 80));
    EXPECT_EQ(dialog.windowTitle(), "Corvane Audio FX");
    // Qt adds the title and system-menu hints that go with a minimize button.
    const Qt::WindowFlags requested =
        Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint;
    EXPECT_EQ(dialog.windowFlags() & requested, requested);

    auto* label = dialog.findChild<QLabel*>("label");
    auto* bar = dialog.findChild<QProgressBar*>("progressBar");
    ASSERT_TRUE(label && bar);
    EXPECT_TRUE(label->text().isEmpty());
    EXPECT_EQ(bar->value(), 24);
    EXPECT_FALSE(bar->isTextVisible());
    gate.open = true;
}

TEST_F(UiPlugSweepTest, ScanThatFinishesAtOnceClosesWithoutShowing)
{
    bool everVisible = false;
    UiPlugSweep dialog(L"/prefs", nullptr, [](const std::wstring&) {});
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { everVisible |= dialog.isVisible(); });
    probe.start(5);
    dialog.Run(App(), true);
    EXPECT_FALSE(everVisible);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(UiPlugSweepTest, RequestPathKeepsTheWindowHiddenUntilAsked)
{
    UiPlugSweep dialog(L"/prefs", nullptr, gate.Job());
    bool visibleBefore = true;
    int shows = 0;
    QTimer::singleShot(150,
                       [&]
                       {
                           visibleBefore = dialog.isVisible();
                           VUIRequestShow(VUI::kShowAll);
                           VUIRequestShow(VUI::kShowAll);
                       });
    QTimer counter;
    bool wasVisible = false;
    QObject::connect(&counter, &QTimer::timeout,
                     [&]
                     {
                         if (dialog.isVisible() && !wasVisible)
                             ++shows;
                         wasVisible = dialog.isVisible();
                     });
    counter.start(5);
    RunFor(dialog, gate, false, 400);
    EXPECT_FALSE(visibleBefore);
    EXPECT_EQ(shows, 1);
}

TEST_F(UiPlugSweepTest, PendingValuesReachTheWidgetsOnlyWhenSet)
{
    UiPlugSweep dialog(L"/prefs", nullptr, gate.Job());
    auto* label = dialog.findChild<QLabel*>("label");
    auto* bar = dialog.findChild<QProgressBar*>("progressBar");
    VRef<VProgressDisplay> progress = VUICreateProgressDisplay(false);
    ASSERT_TRUE(progress);

    progress->Start(10, L"Scanning: Foo");
    progress->SetValue(3);
    QTimer::singleShot(120,
                       [&]
                       {
                           EXPECT_EQ(label->text(), "Scanning: Foo");
                           EXPECT_EQ(bar->maximum(), 10);
                           EXPECT_EQ(bar->value(), 3);
                           dialog.SetPendingRange(0, 0);
                           dialog.SetPendingValue(UiPlugSweep::kNoValue);
                           progress->SetText(L"");
                           progress->SetTextAndValue(L"", 7);
                           EXPECT_EQ(progress->Complete(), 10);
                       });
    RunFor(dialog, gate, false, 300,
           [&]
           {
               EXPECT_EQ(label->text(), "Scanning: Foo") << "empty text leaves the label";
               EXPECT_EQ(bar->maximum(), 10) << "a 0..0 range is never applied";
               EXPECT_EQ(bar->value(), 3) << "no new value, no change";
               EXPECT_FALSE(progress->IsCancelled());
           });
}

TEST_F(UiPlugSweepTest, ClosingByHandCancelsTheScan)
{
    std::atomic<bool> sawCancel{false};
    UiPlugSweep dialog(L"/prefs", nullptr,
                       [&](const std::wstring&)
                       {
                           VRef<VProgressDisplay> progress = VUICreateProgressDisplay(false);
                           while (!progress->IsCancelled())
                               std::this_thread::sleep_for(std::chrono::milliseconds(1));
                           sawCancel = true;
                       });
    QTimer::singleShot(100, [&] { dialog.close(); });
    dialog.Run(App(), true);
    EXPECT_TRUE(dialog.IsClosed());
    // The destructor waits for the worker, which saw the cancel.
}

// The label text crosses threads while the timer reads it: the label must only
// ever show one of the texts the worker wrote, never a torn one.
TEST_F(UiPlugSweepTest, LabelTextHandoverIsWhole)
{
    const int kTexts = 10000;
    std::set<QString> written;
    for (int i = 0; i < 50; ++i)
        written.insert(QString("Scanning: plug-in %1 ").arg(i).repeated(i % 7 + 1));
    const std::vector<QString> texts(written.begin(), written.end());
    std::set<QString> seen;
    std::atomic<bool> sampling{false};
    UiPlugSweep dialog(L"/prefs", nullptr,
                       [&](const std::wstring&)
                       {
                           while (!sampling)
                               std::this_thread::yield();
                           for (int i = 0; i < kTexts; ++i)
                           {
                               VUISetMessage(VUI::kStatusMessage, L"%ls",
                                             texts[size_t(i) % texts.size()].toStdWString().c_str());
                               std::this_thread::sleep_for(std::chrono::microseconds(25));
                           }
                       });
    auto* label = dialog.findChild<QLabel*>("label");
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { seen.insert(label->text()); });
    sampler.start(1);
    sampling = true;
    dialog.Run(App(), false);
    seen.erase(QString());
    EXPECT_FALSE(seen.empty());
    for (const QString& text : seen)
        EXPECT_TRUE(written.count(text)) << text.toStdString();
}
