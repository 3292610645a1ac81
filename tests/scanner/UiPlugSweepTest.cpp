#include "Scanner/UiPlugSweep.h"
#include "Main/VLib/VUI.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

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
