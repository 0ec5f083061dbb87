// One QApplication for the whole test program, on the offscreen platform unless told otherwise.
#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace {

class QtEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "test_ui";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
