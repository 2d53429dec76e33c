// The tool-control tests need a GUI application (fonts, palette, clipboard, widgets); they run on
// the offscreen platform unless the environment names another.

#include "platform/ui/Forms.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LANG", "C.UTF-8", 0);
    QApplication app(argc, argv);
    InitForms();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
