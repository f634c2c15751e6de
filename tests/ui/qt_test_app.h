#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <chrono>

#include "ui/posted_message.h"

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
