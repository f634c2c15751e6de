#pragma once

#include <cstddef>

// A dialog layout kept as data: the same rows a resource script would hold.
// Positions and sizes are in dialog units; the builder (TemplateDialog)
// converts them to pixels with the dialog font.

enum class ControlKind {
    Label,        // static text (QLabel)
    GroupBox,     // button of the group-box style (QGroupBox)
    Frame,        // static frame, e.g. a 1-unit divider (QFrame)
    Edit,         // edit box (QLineEdit; QPlainTextEdit with kMultiLine)
    ComboBox,     // ComboBox (drop-down list with kDropDownList, else editable)
    PushButton,   // QPushButton
    CheckBox,     // automatic check box (QCheckBox)
    RadioButton,  // automatic radio button (QRadioButton); kGroup starts a group
    ProgressBar,  // QProgressBar, range 0..100 and position 0 at creation
    TabControl,   // TabControl (a tab strip over a panel that holds child pages)
};

// Styles that change what a control does. Purely visual styles of the
// original templates (borders, scroll bars, tab stops) are not carried.
enum ControlStyle : unsigned {
    kNoStyle = 0,
    kReadOnly = 1u << 0,      // edit: read-only
    kMultiLine = 1u << 1,     // edit: several lines, vertical scroll bar
    kDigitsOnly = 1u << 2,    // edit: typing accepts digits only
    kDropDownList = 1u << 3,  // combo box: pick from the list only
    kSorted = 1u << 4,        // combo box: AddString keeps the list sorted
    kGroup = 1u << 5,         // radio button: first of a new group
    kDefault = 1u << 6,       // push button: the default button (Enter)
    kHidden = 1u << 7,        // not visible at creation
    kDisabled = 1u << 8,      // disabled at creation
    kCentre = 1u << 9,        // label: text centred
    kRight = 1u << 10,        // label: text right-aligned
};

struct ControlTemplate {
    int id;            // control id; -1 for an anonymous control that is never looked up
    ControlKind kind;
    const char* text;  // template text, UTF-8; never null ("" for none)
    int x, y, w, h;    // dialog units
    unsigned style;    // ControlStyle bits
};

enum DialogStyle : unsigned {
    kPopup = 0,                  // top-level window with a caption
    kChild = 1u << 0,            // child window (pages), no frame, placed at 0, 0
    kNoCaption = 1u << 1,        // popup without caption or system menu
    kMinimizeBox = 1u << 2,      // popup with a minimise button
};

struct DialogTemplate {
    int id;               // resource id (IDD_...)
    const char* caption;  // window title from the template, UTF-8
    int width, height;    // client size in dialog units
    int pointSize;        // dialog font size in points
    unsigned style;       // DialogStyle bits
    const ControlTemplate* controls;
    std::size_t controlCount;
};

// Builds a DialogTemplate from a static array of controls:
//   constexpr ControlTemplate kRows[] = {...};
//   extern const DialogTemplate g_xTemplate = MakeDialogTemplate(290, "", 200, 100, 8, kPopup, kRows);
template <std::size_t N>
constexpr DialogTemplate MakeDialogTemplate(int id, const char* caption, int width, int height,
                                            int pointSize, unsigned style,
                                            const ControlTemplate (&controls)[N]) {
    return DialogTemplate{id, caption, width, height, pointSize, style, controls, N};
}
