// The editor tests need a GUI application. A program that already made one keeps it.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance()) return;
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "tools_tests";
        static char* argv[] = {name, nullptr};
        FApp = new QApplication(argc, argv);
    }

private:
    QApplication* FApp = nullptr;
};
const auto* const kGuiEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
} // namespace
