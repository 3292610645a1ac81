#include "Scanner/UiPlugSweep.h"
#include "Main/VLib/VUI.h"

#include <QApplication>
#include <QLabel>
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
void RunFor(UiPlugSweep& dialog, Gate& gate, bool defaultPath, int ms)
{
    QTimer::singleShot(ms, [&gate] { gate.open = true; });
    dialog.Run(App(), defaultPath);
}

// Counts how often the dialog turns visible while the event loop runs.
struct ShowCounter
{
    explicit ShowCounter(const QWidget& dialog)
    {
        QObject::connect(&timer, &QTimer::timeout,
                         [this, &dialog]
                         {
                             shows += dialog.isVisible() && !visible;
                             visible = dialog.isVisible();
                         });
        timer.start(5);
    }
    QTimer timer;
    int shows = 0;
    bool visible = false;
};

class UiPlugSweepTest : public ::testing::Test
{
protected:
    void SetUp() override { App(); }
    Gate gate;
};
} // namespace

TEST_F(UiPlugSweepTest, WindowShowsOnceWhenAskedAndNeverForAScanThatEndsAtOnce)
{
    {
        UiPlugSweep dialog(L"/prefs", nullptr, [](const std::wstring&) {});
        ShowCounter counter(dialog);
        dialog.Run(App(), true);
        EXPECT_EQ(counter.shows, 0);
    }
    // With a request path the window stays hidden until the scan asks for it.
    UiPlugSweep dialog(L"/prefs", nullptr, gate.Job());
    ShowCounter counter(dialog);
    QTimer::singleShot(150,
                       [&]
                       {
                           EXPECT_EQ(counter.shows, 0);
                           VUIRequestShow(VUI::kShowAll);
                           VUIRequestShow(VUI::kShowAll);
                       });
    RunFor(dialog, gate, false, 400);
    EXPECT_EQ(counter.shows, 1);
}

TEST_F(UiPlugSweepTest, ClosingByHandCancelsTheScan)
{
    UiPlugSweep dialog(L"/prefs", nullptr,
                       [&](const std::wstring&)
                       {
                           VRef<VProgressDisplay> progress = VUICreateProgressDisplay(false);
                           while (!progress->IsCancelled())
                               std::this_thread::sleep_for(std::chrono::milliseconds(1));
                       });
    QTimer::singleShot(100, [&] { dialog.close(); });
    dialog.Run(App(), true);
    // The destructor waits for the worker, which only ends on the cancel.
    EXPECT_TRUE(dialog.IsClosed());
}

// The label text crosses threads while the timer reads it: the label must only
// ever show one of the texts the worker wrote, never a torn one.
TEST_F(UiPlugSweepTest, LabelTextHandoverIsWhole)
{
    std::vector<QString> texts;
    for (int i = 0; i < 50; ++i)
        texts.push_back(QString("Scanning: plug-in %1 ").arg(i).repeated(i % 7 + 1));
    const std::set<QString> written(texts.begin(), texts.end());
    std::set<QString> seen;
    UiPlugSweep dialog(L"/prefs", nullptr,
                       [&](const std::wstring&)
                       {
                           for (int i = 0; i < 10000; ++i)
                           {
                               VUISetMessage(VUI::kStatusMessage, L"%ls",
                                             texts[size_t(i) % 50].toStdWString().c_str());
                               std::this_thread::sleep_for(std::chrono::microseconds(25));
                           }
                       });
    auto* label = dialog.findChild<QLabel*>("label");
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { seen.insert(label->text()); });
    sampler.start(1);
    dialog.Run(App(), false);
    seen.erase(QString());
    EXPECT_FALSE(seen.empty());
    for (const QString& text : seen)
        EXPECT_TRUE(written.count(text)) << text.toStdString();
}
