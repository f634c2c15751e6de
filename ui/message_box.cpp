#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "resources/dialog_result.h"
#include "ui/qt_text.h"

namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

int MessageBox(const std::string& text, QWidget* parent) {
    if (Hook()) return Hook()(text);
    if (parent == nullptr) parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                    ToQString(text),
                    QMessageBox::Ok, parent);
    box.exec();
    return IDOK;
}
