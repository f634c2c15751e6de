#pragma once

#include <QApplication>
#include <QFontInfo>

// The one application object of a UI test program, made on first use. Never
// destroyed: tearing Qt down among the other statics at exit only risks a
// crash after the tests have passed.
inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "quorrel_ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* created = new QApplication(argc, argv);
        // fontconfig reads the desktop's languages once, when Qt first
        // resolves a font, and they choose the default face. Resolve it now,
        // under the locale the test program was started in, before a fixture
        // sets LANG for the interface language.
        (void)QFontInfo(QApplication::font()).family();
        return created;
    }();
    return *app;
}
