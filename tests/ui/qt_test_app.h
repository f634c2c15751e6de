#pragma once

#include <QApplication>

// The one application object of a UI test program, made on first use. Never
// destroyed: tearing Qt down among the other statics at exit only risks a
// crash after the tests have passed.
inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "quorrel_ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
