#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QFontInfo>
#include <chrono>

#include "ui/posted_message.h"

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

// How long a UI test waits for what must come: only a hang, never a busy
// machine, takes this long.
inline constexpr std::chrono::milliseconds kHangBound{30000};

// Hands out everything posted so far, until no window has a message waiting.
// A window's queue hands its messages out in slices and posts a wake-up for
// the rest, so a burst from a worker takes as many turns of the event loop as
// the machine's speed makes it; one turn is never enough to count on. False
// when the queues were still not empty after kHangBound.
inline bool DrainPostedMessages() {
    const QDeadlineTimer deadline(kHangBound);
    do {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (!PostedMessageQueue::AnyPending()) return true;
    } while (!deadline.hasExpired());
    return false;
}
