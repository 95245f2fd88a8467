#pragma once
// The QApplication of a widget test program, on Qt's offscreen platform and
// with a configuration folder of its own (QFileDialog keeps its state there).
// Registered as a test environment, it lives from before the first test to
// after the last and is gone before static destruction begins.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace sorvak::test
