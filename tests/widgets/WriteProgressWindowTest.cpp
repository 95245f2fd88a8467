// The progress window of long picture writes, on a clock of the test's own.
// Runs in the picture pane test's application.
#include "widgets/WriteProgressWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <cstdlib>

#include <gtest/gtest.h>

namespace sorvak::widgets {
namespace {

using namespace std::chrono_literals;

TEST(WriteProgressWindow, AppearsOnlyAfterHalfASecondAndGoesWithTheWrite) {
    WriteProgressWindow::Clock::time_point now{};
    QPointer<QWidget> shown;
    {
        WriteProgressWindow progress("GIF", [&now] { return now; });
        progress.Report(0);
        now += 499ms;
        progress.Report(40);
        EXPECT_EQ(progress.Window(), nullptr);
        now += 1ms;
        progress.Report(45);
        shown = progress.Window();
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown->isVisible());
        // Centred on the primary screen, also without a window manager.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect at = shown->geometry();
        EXPECT_LE(std::abs((at.left() - screen.left()) - (screen.right() - at.right())), 1);
        EXPECT_LE(std::abs((at.top() - screen.top()) - (screen.bottom() - at.bottom())), 1);
        EXPECT_TRUE(shown->findChildren<QPushButton*>().isEmpty());
        EXPECT_TRUE(shown->findChild<QLabel*>()->text().contains("GIF"));
        auto* bar = shown->findChild<QProgressBar*>();
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->value(), 45);
        now += 10ms;
        progress.Report(100);
        EXPECT_EQ(bar->value(), 100);
    }
    EXPECT_TRUE(shown.isNull());

    // Waiting for the content: a busy bar, then the write's own scale.
    now = {};
    {
        WriteProgressWindow progress("TXT", [&now] { return now; });
        progress.Report(-1);
        now += 600ms;
        progress.Report(-1);
        shown = progress.Window();
        ASSERT_NE(shown, nullptr);
        auto* bar = shown->findChild<QProgressBar*>();
        EXPECT_EQ(bar->maximum(), 0);
        progress.Report(30);
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_EQ(bar->value(), 30);
    }
    EXPECT_TRUE(shown.isNull());

    // A write that ends sooner never shows anything.
    now = {};
    {
        WriteProgressWindow progress("PNG", [&now] { return now; });
        for (int percent = 0; percent <= 100; ++percent, now += 4ms)
            progress.Report(percent);
        EXPECT_EQ(progress.Window(), nullptr);
    }
}

} // namespace
} // namespace sorvak::widgets
