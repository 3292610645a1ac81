#include "Scanner/UiPlugSweep.h"
#include "Main/VLib/VUI.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <algorithm>
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
} // namespace

// With a request path the window stays hidden until the scan asks for it, and
// then shows once however often asked; closing it by hand cancels the scan.
TEST(UiPlugSweepTest, WindowShowsOnceWhenAskedAndClosingItCancelsTheScan)
{
    QApplication& app = App();
    {
        UiPlugSweep dialog(L"/prefs", nullptr, [](const std::wstring&) {});
        ShowCounter counter(dialog);
        dialog.Run(app, true);
        EXPECT_EQ(counter.shows, 0) << "a scan that ends at once shows nothing";
    }
    UiPlugSweep dialog(L"/prefs", nullptr,
                       [](const std::wstring&)
                       {
                           VRef<VProgressDisplay> progress = VUICreateProgressDisplay(false);
                           while (!progress->IsCancelled())
                               std::this_thread::sleep_for(std::chrono::milliseconds(1));
                       });
    ShowCounter counter(dialog);
    QTimer::singleShot(150,
                       [&]
                       {
                           EXPECT_EQ(counter.shows, 0);
                           VUIRequestShow(VUI::kShowAll);
                           VUIRequestShow(VUI::kShowAll);
                       });
    QTimer::singleShot(400, [&] { dialog.close(); });
    dialog.Run(app, false);
    EXPECT_EQ(counter.shows, 1);
    // The scan only ends on the cancel, and the dialog waits for it.
    EXPECT_TRUE(dialog.IsClosed());
}

// The label text crosses threads while the timer reads it: the label must only
// ever show one of the texts the worker wrote, never a torn one.
TEST(UiPlugSweepTest, LabelTextHandoverIsWhole)
{
    QApplication& app = App();
    std::vector<std::wstring> texts;
    for (int i = 0; i < 50; ++i)
        texts.push_back(QString("Scanning: plug-in %1 ").arg(i).repeated(i % 7 + 1).toStdWString());
    std::set<QString> seen;
    UiPlugSweep dialog(L"/prefs", nullptr,
                       [&](const std::wstring&)
                       {
                           for (int i = 0; i < 10000; ++i)
                           {
                               VUISetMessage(VUI::kStatusMessage, L"%ls", texts[size_t(i) % 50].c_str());
                               std::this_thread::sleep_for(std::chrono::microseconds(25));
                           }
                       });
    auto* label = dialog.findChild<QLabel*>("label");
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { seen.insert(label->text()); });
    sampler.start(1);
    dialog.Run(app, false);
    seen.erase(QString());
    EXPECT_FALSE(seen.empty());
    for (const QString& text : seen)
        EXPECT_NE(std::find(texts.begin(), texts.end(), text.toStdWString()), texts.end())
            << text.toStdString();
}
