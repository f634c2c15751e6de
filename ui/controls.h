#pragma once

#include <string>

class QWidget;

// Operations on a control, whatever its kind. Text is UTF-8. Edit boxes give
// back the exact bytes last set when the user has not changed the text, so a
// value that is not valid UTF-8 survives a round trip unchanged.

std::string GetWindowText(const QWidget* control);
// Labels, group boxes, buttons, check boxes, edits (single or multi-line),
// editable combo boxes and top-level windows (the title).
void SetWindowText(QWidget* control, const std::string& text);

void EnableWindow(QWidget* control, bool enable);
bool IsWindowEnabled(const QWidget* control);
// Shows or hides the control (a child stays hidden while its parent is).
void ShowWindow(QWidget* control, bool show);
bool IsWindowVisible(const QWidget* control);  // the control's own visibility flag

// Check boxes and radio buttons: 0 unchecked, 1 checked.
int GetCheck(const QWidget* control);
void SetCheck(QWidget* control, int check);

// Edit (single or multi-line): read-only, and drawn on the dialog's face
// colour as Windows draws such an edit, so that it does not look like a box
// to type in. Its text stays selectable and copyable.
void SetEditReadOnly(QWidget* control);

// Kind tests used where a Part dispatches on a control's class.
bool IsEditControl(const QWidget* control);   // QLineEdit or QPlainTextEdit
bool IsComboControl(const QWidget* control);  // ComboBox

// Multi-line edit: appends text at the end (no newline added) and scrolls to it.
void AppendEditText(QWidget* control, const std::string& text);

// Progress bar.
void SetProgressRange(QWidget* control, int low, int high);
void SetProgressPos(QWidget* control, int pos);
int GetProgressPos(const QWidget* control);
