#include "widgets/WriteProgressWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace sorvak::widgets {

namespace {

// Painting between rows costs the write time: at most this often.
constexpr std::chrono::milliseconds PaintInterval{50};

} // namespace

WriteProgressWindow::WriteProgressWindow(const QString& format,
                                         std::function<Clock::time_point()> now)
    : format_(format), now_(std::move(now)), start_(now_()) {}

WriteProgressWindow::~WriteProgressWindow() {
    delete window_.data();
}

void WriteProgressWindow::Report(int percent) {
    const Clock::time_point now = now_();
    if (!window_) {
        if (now - start_ < Delay)
            return;
        auto* window =
            new QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        window->setObjectName(QStringLiteral("WriteProgressWindow"));
        window->setWindowTitle(QApplication::applicationName());
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        auto* layout = new QVBoxLayout(window);
        auto* label =
            new QLabel(QCoreApplication::translate("ProgressWindow", "%1 形式で保存しています...")
                           .arg(format_));
        layout->addWidget(label);
        bar_ = new QProgressBar;
        bar_->setRange(0, 100);
        bar_->setMinimumWidth(280);
        layout->addWidget(bar_);
        window_ = window;
        window->show();
        // Centred on the primary screen like every other window, also where
        // no window manager places it; its size is final once shown.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            const QSize frame = window->frameGeometry().size();
            window->move(area.left() + (area.width() - frame.width()) / 2,
                         area.top() + (area.height() - frame.height()) / 2);
        }
        painted_ = {};
    }
    // Before the write, while the content is still coming, nothing can say
    // how far along it is: the bar only shows that work goes on.
    if (percent < 0) {
        bar_->setRange(0, 0);
    } else {
        bar_->setRange(0, 100);
        bar_->setValue(std::min(percent, 100));
    }
    if (now - painted_ >= PaintInterval) {
        painted_ = now;
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

} // namespace sorvak::widgets
