#include "ui/controls.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextCursor>
#include <QVariant>

#include "ui/combo_box.h"
#include "ui/qt_text.h"

namespace {

// An edit remembers the bytes it was given and the text they turned into, so
// that bytes which are not valid UTF-8 come back unchanged while the user has
// not edited them.
constexpr const char* kBytesProperty = "quorrelBytes";
constexpr const char* kShownProperty = "quorrelShown";

std::string ToStd(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void RememberBytes(QWidget* edit, const std::string& text, const QString& shown) {
    edit->setProperty(kBytesProperty, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    edit->setProperty(kShownProperty, shown);
}

std::string RecallBytes(const QWidget* edit, const QString& shown) {
    const QVariant bytes = edit->property(kBytesProperty);
    if (bytes.isValid() && edit->property(kShownProperty).toString() == shown) {
        const QByteArray raw = bytes.toByteArray();
        return std::string(raw.constData(), static_cast<std::size_t>(raw.size()));
    }
    return ToStd(shown);
}

}  // namespace

std::string GetWindowText(const QWidget* control) {
    if (control == nullptr) return {};
    if (auto* edit = qobject_cast<const QLineEdit*>(control)) {
        return RecallBytes(edit, edit->text());
    }
    if (auto* edit = qobject_cast<const QPlainTextEdit*>(control)) {
        return RecallBytes(edit, edit->toPlainText());
    }
    if (auto* label = qobject_cast<const QLabel*>(control)) return ToStd(label->text());
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return ToStd(button->text());
    if (auto* group = qobject_cast<const QGroupBox*>(control)) return ToStd(group->title());
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return ToStd(combo->currentText());
    if (control->isWindow()) return ToStd(control->windowTitle());
    return {};
}

void SetWindowText(QWidget* control, const std::string& text) {
    if (control == nullptr) return;
    const QString shown = ToQString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(shown);
        RememberBytes(edit, text, edit->text());
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
        edit->setPlainText(shown);
        RememberBytes(edit, text, edit->toPlainText());
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(shown);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(shown);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(shown);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->isEditable()) combo->setEditText(shown);
    } else if (control->isWindow()) {
        control->setWindowTitle(shown);
    }
}

void EnableWindow(QWidget* control, bool enable) {
    if (control != nullptr) control->setEnabled(enable);
}

bool IsWindowEnabled(const QWidget* control) {
    return control != nullptr && control->isEnabled();
}

void ShowWindow(QWidget* control, bool show) {
    if (control != nullptr) control->setVisible(show);
}

bool IsWindowVisible(const QWidget* control) {
    return control != nullptr && !control->isHidden();
}

int GetCheck(const QWidget* control) {
    auto* button = qobject_cast<const QAbstractButton*>(control);
    return button != nullptr && button->isChecked() ? 1 : 0;
}

void SetCheck(QWidget* control, int check) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setChecked(check != 0);
}

void SetEditReadOnly(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setReadOnly(true);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
        edit->setReadOnly(true);
    } else {
        return;
    }
    // The face is the parent's: a style may give edits a palette of their
    // own. Only the base role is set, so every other colour still follows
    // the dialog.
    const QWidget* dialog = control->parentWidget() != nullptr ? control->parentWidget() : control;
    QPalette palette = control->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setBrush(group, QPalette::Base, dialog->palette().brush(group, QPalette::Window));
    }
    control->setPalette(palette);
}

bool IsEditControl(const QWidget* control) {
    return qobject_cast<const QLineEdit*>(control) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(control) != nullptr;
}

bool IsComboControl(const QWidget* control) {
    return qobject_cast<const ComboBox*>(control) != nullptr;
}

void AppendEditText(QWidget* control, const std::string& text) {
    if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
        QTextCursor cursor(edit->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(ToQString(text));
        edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
        edit->setProperty(kBytesProperty, QVariant());
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(line->text() + ToQString(text));
        line->setProperty(kBytesProperty, QVariant());
    }
}

void SetProgressRange(QWidget* control, int low, int high) {
    auto* bar = qobject_cast<QProgressBar*>(control);
    if (bar == nullptr) return;
    // An empty range would make QProgressBar animate as "busy"; the Windows
    // bar just stays empty.
    bar->setRange(low, high > low ? high : low + 1);
}

void SetProgressPos(QWidget* control, int pos) {
    auto* bar = qobject_cast<QProgressBar*>(control);
    if (bar == nullptr) return;
    // A position past the range shows a full bar, as the Windows control does.
    if (pos > bar->maximum()) pos = bar->maximum();
    if (pos < bar->minimum()) pos = bar->minimum();
    bar->setValue(pos);
}

int GetProgressPos(const QWidget* control) {
    auto* bar = qobject_cast<const QProgressBar*>(control);
    return bar != nullptr ? bar->value() : 0;
}
