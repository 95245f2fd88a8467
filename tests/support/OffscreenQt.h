#pragma once
// The QApplication of a widget test program, on Qt's offscreen platform and
// with a configuration folder of its own (QFileDialog keeps its state there).
// Registered as a test environment, it lives from before the first test to
// after the last and is gone before static destruction begins.
#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace sorvak::test {

class OffscreenQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        config_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", config_->path().toUtf8());
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        config_.reset();
    }

private:
    int argc_ = 1;
    char name_[12] = "sorvak-test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QTemporaryDir> config_;
    std::unique_ptr<QApplication> app_;
};

// Calls step once ready() holds, polling the event loop.
// Each poll schedules a fresh copy of itself: a poll that held a pointer to
// itself would never be freed.
inline void When(std::function<bool()> ready, std::function<void()> step, int delay = 0) {
    QTimer::singleShot(delay, [=] {
        if (ready())
            step();
        else
            When(ready, step, 10);
    });
}

// Rejects every open dialog once the time is up, so that a failing test ends
// at once instead of waiting for the test runner's time-out.
class DialogWatchdog {
public:
    explicit DialogWatchdog(int milliseconds) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            fired_ = true;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w); d != nullptr && d->isVisible())
                    d->reject();
        });
        timer_.start(milliseconds);
    }
    bool Fired() const { return fired_; }

private:
    QTimer timer_;
    bool fired_ = false;
};

} // namespace sorvak::test
