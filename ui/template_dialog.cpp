#include "ui/template_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <algorithm>

#include "ui/combo_box.h"
#include "ui/controls.h"
#include "ui/dialog_font.h"
#include "ui/group_box.h"
#include "ui/posted_message.h"
#include "ui/tab_control.h"

namespace {

QString ToQString(const char* text) { return QString::fromUtf8(text != nullptr ? text : ""); }

QWidget* MakeEdit(const ControlTemplate& row, QWidget* parent) {
    if (row.style & kMultiLine) {
        auto* edit = new QPlainTextEdit(parent);
        if (row.style & kReadOnly) SetEditReadOnly(edit);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        SetWindowText(edit, row.text);
        return edit;
    }
    auto* edit = new QLineEdit(parent);
    if (row.style & kReadOnly) SetEditReadOnly(edit);
    if (row.style & kDigitsOnly) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    SetWindowText(edit, row.text);
    return edit;
}

QWidget* MakeLabel(const ControlTemplate& row, QWidget* parent) {
    auto* label = new QLabel(ToQString(row.text), parent);
    Qt::Alignment align = Qt::AlignTop;
    if (row.style & kCentre) {
        align |= Qt::AlignHCenter;
    } else if (row.style & kRight) {
        align |= Qt::AlignRight;
    } else {
        align |= Qt::AlignLeft;
    }
    label->setAlignment(align);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent),
      m_template(dialogTemplate),
      m_queue(std::make_unique<PostedMessageQueue>(this)) {
    const QFont font = DialogFont(m_template.pointSize > 0 ? m_template.pointSize : 8);
    setFont(font);
    m_units = DialogUnits::ForFont(font);

    if (m_template.style & kChild) {
        setWindowFlags(Qt::Widget);
    } else if (m_template.style & kNoCaption) {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    } else {
        Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (m_template.style & kMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
        setWindowFlags(flags);
    }
    setWindowTitle(ToQString(m_template.caption));
    setFixedSize(m_units.ToPixelsX(m_template.width), m_units.ToPixelsY(m_template.height));
    BuildControls();
}

TemplateDialog::~TemplateDialog() = default;

void TemplateDialog::BuildControls() {
    QButtonGroup* radioGroup = nullptr;
    for (std::size_t i = 0; i < m_template.controlCount; ++i) {
        const ControlTemplate& row = m_template.controls[i];
        QWidget* control = BuildControl(row);
        if (auto* radio = qobject_cast<QRadioButton*>(control)) {
            // Windows groups automatic radio buttons from one WS_GROUP
            // button to the next, not by parent widget.
            if (radioGroup == nullptr || (row.style & kGroup)) radioGroup = new QButtonGroup(this);
            radio->setAutoExclusive(false);
            radioGroup->addButton(radio);
        }
        QRect rect = m_units.ToPixels(row.x, row.y, row.w, row.h);
        // A combo box's template height includes its open list; the closed
        // box is one line high.
        if (row.kind == ControlKind::ComboBox) {
            rect.setHeight(std::min(rect.height(), control->sizeHint().height()));
        }
        control->setGeometry(rect);
        if (row.style & kDisabled) control->setEnabled(false);
        if (row.style & kHidden) control->hide();
        if (row.id != -1 && m_controlById.find(row.id) == m_controlById.end()) {
            m_controlById[row.id] = control;
        }
    }
}

QWidget* TemplateDialog::BuildControl(const ControlTemplate& row) {
    switch (row.kind) {
        case ControlKind::Label:
            return MakeLabel(row, this);
        case ControlKind::GroupBox: {
            auto* group = new GroupBox(ToQString(row.text), this);
            // Group boxes are drawn behind the controls laid out over them.
            group->lower();
            return group;
        }
        case ControlKind::Frame: {
            auto* frame = new QFrame(this);
            frame->setFrameShape(row.w <= 2 ? QFrame::VLine
                                 : row.h <= 2 ? QFrame::HLine
                                              : QFrame::Box);
            frame->setFrameShadow(QFrame::Sunken);
            return frame;
        }
        case ControlKind::Edit:
            return MakeEdit(row, this);
        case ControlKind::ComboBox: {
            auto* combo = new ComboBox(this, row.style & kSorted);
            combo->setEditable(!(row.style & kDropDownList));
            return combo;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(ToQString(row.text), this);
            button->setDefault(row.style & kDefault);
            // Qt would make the first push button the default when none is,
            // so Enter would click it; Enter must reach OnOK instead.
            button->setAutoDefault(row.style & kDefault);
            if (row.id == IDOK) connect(button, &QPushButton::clicked, this, [this] { OnOK(); });
            if (row.id == IDCANCEL) {
                connect(button, &QPushButton::clicked, this, [this] { OnCancel(); });
            }
            return button;
        }
        case ControlKind::CheckBox:
            return new QCheckBox(ToQString(row.text), this);
        case ControlKind::RadioButton:
            return new QRadioButton(ToQString(row.text), this);
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(this);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            return bar;
        }
        case ControlKind::TabControl:
            return new TabControl(this);
    }
    return new QWidget(this);
}

int TemplateDialog::exec() {
    // Every modal run initialises the dialog afresh, as each DoModal creates
    // a new window on Windows.
    m_initDone = false;
    RunInitOnce();
    // A dialog that ended inside OnInitDialog never shows.
    if (m_ended) return m_endResult;
    return QDialog::exec();
}

bool TemplateDialog::Create(QWidget* parent) {
    setParent(parent, Qt::Widget);
    move(0, 0);
    hide();
    RunInitOnce();
    return true;
}

void TemplateDialog::RunInitOnce() {
    if (m_initDone) return;
    m_initDone = true;
    m_ended = false;
    OnInitDialog();
}

void TemplateDialog::EndDialog(int result) {
    m_ended = true;
    m_endResult = result;
    QDialog::done(result);
}

QWidget* TemplateDialog::GetDlgItem(int id) const {
    const auto found = m_controlById.find(id);
    return found != m_controlById.end() ? found->second : nullptr;
}

ComboBox* TemplateDialog::Combo(int id) const { return DlgItem<ComboBox>(id); }

TabControl* TemplateDialog::Tab(int id) const { return DlgItem<TabControl>(id); }

QPushButton* TemplateDialog::Button(int id) const { return DlgItem<QPushButton>(id); }

std::string TemplateDialog::GetDlgItemText(int id) const { return GetWindowText(GetDlgItem(id)); }

void TemplateDialog::SetDlgItemText(int id, const std::string& text) {
    SetWindowText(GetDlgItem(id), text);
}

void TemplateDialog::EnableDlgItem(int id, bool enable) { EnableWindow(GetDlgItem(id), enable); }

void TemplateDialog::ShowDlgItem(int id, bool show) { ShowWindow(GetDlgItem(id), show); }

int TemplateDialog::IsDlgButtonChecked(int id) const { return GetCheck(GetDlgItem(id)); }

void TemplateDialog::CheckDlgButton(int id, int check) { SetCheck(GetDlgItem(id), check); }

void TemplateDialog::CenterWindow() {
    QRect area;
    if (QWidget* owner = parentWidget()) {
        area = QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    } else if (QScreen* screen = this->screen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) move(area.center() - rect().center());
}

void TemplateDialog::AddMessageHandler(int message, MessageHandler handler) {
    m_handlers[message] = std::move(handler);
}

void TemplateDialog::SetMessageObserver(MessageHandler observer) { m_observer = std::move(observer); }

void TemplateDialog::DispatchMessage(PostedMessage& message) {
    if (m_observer) m_observer(message);
    const auto found = m_handlers.find(message.message);
    if (found != m_handlers.end()) found->second(message);
}

bool TemplateDialog::event(QEvent* e) {
    NotePostedEventArrived(e);
    if (e->type() == PostedMessageQueue::kWakeType) {
        m_queue->Drain([this](PostedMessage& message) { DispatchMessage(message); });
        return true;
    }
    if (e->type() == PostedMessage::kType) {
        DispatchMessage(*static_cast<PostedMessage*>(e));
        return true;
    }
    return QDialog::event(e);
}

void TemplateDialog::keyPressEvent(QKeyEvent* e) {
    // The keypad's Enter counts as Enter, as it does on Windows; left to
    // QDialog it would click the default button whatever has the focus.
    const bool enter = (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
                       (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter) {
        if (QPushButton* button = EnterButton()) {
            if (button->isEnabled()) button->click();
            return;
        }
        OnOK();
        return;
    }
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        OnCancel();
        return;
    }
    QDialog::keyPressEvent(e);
}

QPushButton* TemplateDialog::EnterButton() const {
    // As in a Windows dialog: the push button that has the focus, else the
    // default one; the default button must not win over a focused Cancel.
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    if (focused != nullptr && focused->isVisible()) return focused;
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button->isDefault() && button->isVisible()) return button;
    }
    return nullptr;
}

void TemplateDialog::closeEvent(QCloseEvent* e) {
    // A close request is IDCANCEL; the dialog decides in OnCancel whether to end.
    e->ignore();
    OnCancel();
}
