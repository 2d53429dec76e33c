// The data grid tests need a GUI application: fonts, widgets and the window layer's queue. They run on
// the offscreen platform unless the environment names another.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LANG", "C.UTF-8", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
