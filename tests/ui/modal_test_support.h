// Driving modal dialogs from a test: the test's steps run inside the
// dialog's own modal loop, and actions wait on conditions (with a bound)
// while nested modal loops, such as the wait dialog's, run.
#pragma once

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <functional>

#include "ui/dialog_result.h"
#include "ui/template_dialog.h"

// Runs dialog modally; steps run once its modal loop is up. A dialog the
// steps leave open (a failed assertion returns early) is cancelled, so the
// test never hangs. Returns what DoModal returned.
inline int RunModal(TemplateDialog& dialog, const std::function<void()>& steps) {
    QTimer::singleShot(0, &dialog, [&dialog, steps] {
        steps();
        if (dialog.isVisible()) dialog.EndDialog(IDCANCEL);
    });
    return dialog.DoModal();
}

// Polls condition every few milliseconds on the UI thread, whatever modal
// loop runs, and runs action once when it holds; after bound it stops polling
// and runs action anyway (timedOut() tells), so a blocked modal loop still ends.
class WhenTrue {
public:
    WhenTrue(std::function<bool()> condition, std::function<void()> action,
             std::chrono::milliseconds bound = std::chrono::seconds(5))
        : m_condition(std::move(condition)),
          m_action(std::move(action)),
          m_deadline(std::chrono::steady_clock::now() + bound) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(5);
    }

    bool fired() const { return m_fired; }
    bool timedOut() const { return m_timedOut; }

private:
    void Poll() {
        const bool holds = m_condition();
        if (!holds && std::chrono::steady_clock::now() < m_deadline) return;
        m_timer.stop();
        m_timedOut = !holds;
        m_fired = true;
        m_action();
    }

    std::function<bool()> m_condition;
    std::function<void()> m_action;
    std::chrono::steady_clock::time_point m_deadline;
    QTimer m_timer;
    bool m_fired = false;
    bool m_timedOut = false;
};

// The modal dialog on top, as type T, or null.
template <class T>
T* ActiveModal() {
    return qobject_cast<T*>(QApplication::activeModalWidget());
}
