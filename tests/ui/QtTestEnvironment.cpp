// One QApplication for every test of the executable; tests/support/TestEnvironment.cpp has set the
// offscreen platform before.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

int argc = 1;
char name[] = "test_ui";
char* argv[] = {name, nullptr};

class QtEnvironment : public ::testing::Environment {
    void SetUp() override { app_ = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { app_.reset(); }
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
