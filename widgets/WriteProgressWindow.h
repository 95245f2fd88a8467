#pragma once
// A small window that follows a long picture write: the format and a
// progress bar, no buttons. It appears only once the write has run for a
// while, so short writes look as they always did.
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>

class QProgressBar;
class QWidget;

namespace sorvak::widgets {

class WriteProgressWindow {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds Delay{500};

    // format: the written format's name ("PNG"); now: the clock, for tests.
    explicit WriteProgressWindow(const QString& format,
                                 std::function<Clock::time_point()> now = Clock::now);
    ~WriteProgressWindow();
    WriteProgressWindow(const WriteProgressWindow&) = delete;
    WriteProgressWindow& operator=(const WriteProgressWindow&) = delete;

    // The part done, 0 to 100, or -1 while the write waits for its content.
    // Shows the window once Delay has passed since the write began, and lets
    // it paint; user input waits for the write.
    void Report(int percent);
    // The window, once it is shown.
    QWidget* Window() const { return window_; }

private:
    QString format_;
    std::function<Clock::time_point()> now_;
    Clock::time_point start_;
    Clock::time_point painted_;
    QPointer<QWidget> window_;
    QProgressBar* bar_ = nullptr;
};

} // namespace sorvak::widgets
