// Every page and dialog in English and in Chinese, every control shown: each
// text is drawn whole in the dialog font, every item of a combo box fits its
// closed box, no group frame runs through a control, no control overlaps its
// neighbour or leaves its window. Pictures go to page_pictures/ beside this
// test program, for a reviewer to look at, one set per locale it ran under.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionComboBox>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "resources/dialog_templates.h"
#include "resources/main_dialog_ids.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "tests/ui/page_test_support.h"
#include "ui/cmd_config_dialog.h"
#include "ui/com_option_dlg.h"
#include "ui/upgrade_dlg.h"
#include "ui/wait_dialog.h"

namespace {
// Pixels of a control's picture at that size that differ from its background corner.
int InkPixels(QWidget* control, QSize size) {
    const QSize saved = control->size();
    control->resize(size);
    const QImage image = control->grab().toImage();
    control->resize(saved);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixel(x, y) != image.pixel(image.width() - 1, image.height() - 1);
    return ink;
}

QString TextOf(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control)) return group->title();
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return combo->itemText(0);
    return {};
}

// The width a closed combo box has for its text, as the style draws it: the
// edit field less the label's margin (a list) or the line edit's (editable).
int ComboTextWidth(const QComboBox& combo) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    option.frame = combo.hasFrame();
    const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, &combo);
    return field.width() - (combo.isEditable() ? 4 : 2);
}

// The width a button has for its text: inside a push button's bevel, beside
// a check box's or radio button's indicator.
int ButtonTextWidth(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    const QStyle::SubElement contents =
        qobject_cast<const QCheckBox*>(&button)      ? QStyle::SE_CheckBoxContents
        : qobject_cast<const QRadioButton*>(&button) ? QStyle::SE_RadioButtonContents
                                                     : QStyle::SE_PushButtonContents;
    return button.style()->subElementRect(contents, &option, &button).width();
}

// The lines of a group box's frame as drawn, in its parent's coordinates, two
// pixels each: found in its picture (the ink down a column near its right end
// and across a row near its foot), whatever the style makes of the box.
std::vector<QRect> FrameLines(QGroupBox& group) {
    const QImage image = group.grab().toImage();
    if (image.width() < 20 || image.height() < 20) return {};
    const QRgb background = image.pixel(image.width() - 1, 0);
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0, x = image.width() - 10; y < image.height(); ++y) {
        if (image.pixel(x, y) != background) bottom = y, top = top < 0 ? y : top;
    }
    for (int x = 0, y = image.height() - 10; x < image.width(); ++x) {
        if (image.pixel(x, y) != background) right = x, left = left < 0 ? x : left;
    }
    if (top < 0 || left < 0) return {};
    // The picture has device pixels; the geometry of the controls is logical.
    const qreal ratio = image.devicePixelRatio();
    const QRect frame = QRectF(QPointF(left / ratio, top / ratio),
                               QPointF((right + 1) / ratio, (bottom + 1) / ratio))
                            .toAlignedRect()
                            .adjusted(0, 0, -1, -1)
                            .translated(group.pos());
    return {QRect(frame.left(), frame.top(), frame.width(), 2),
            QRect(frame.left(), frame.bottom() - 1, frame.width(), 2),
            QRect(frame.left(), frame.top(), 2, frame.height()),
            QRect(frame.right() - 1, frame.top(), 2, frame.height())};
}

// Every problem of one window with all its controls shown, one per line.
std::string LayoutProblems(QWidget& window) {
    std::ostringstream out;
    const auto where = [](const QWidget* c) {
        return std::string(c->metaObject()->className()) + " \"" + TextOf(c).toStdString() + "\"";
    };
    const QList<QWidget*> controls = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* control : controls) control->show();  // rows a page's rules hide too
    for (QWidget* control : controls) {
        if (!window.rect().contains(control->geometry())) out << "\n  outside: " << where(control);
        auto* group = qobject_cast<QGroupBox*>(control);
        auto* combo = qobject_cast<QComboBox*>(control);
        auto* button = qobject_cast<QAbstractButton*>(control);
        // A group title sits on the frame, a few pixels in from each side; a
        // button's text beside its indicator or within its bevel; a label's
        // text is cut when a larger label shows more of it.
        const int advance = control->fontMetrics().horizontalAdvance(TextOf(control));
        const bool cut =
            group    ? advance > group->width() - 2 * group->fontMetrics().averageCharWidth()
            : button ? advance > ButtonTextWidth(*button)
                     : !combo && !TextOf(control).isEmpty() &&
                           InkPixels(control, control->size()) !=
                               InkPixels(control, control->size() + QSize(80, 20));
        if (cut) out << "\n  text cut: " << where(control);
        for (int i = 0; combo && i < combo->count(); ++i) {
            if (combo->fontMetrics().horizontalAdvance(combo->itemText(i)) >
                ComboTextWidth(*combo)) {
                out << "\n  item cut: \"" << combo->itemText(i).toStdString() << "\" in "
                    << where(combo);
            }
        }
        const std::vector<QRect> lines = group ? FrameLines(*group) : std::vector<QRect>();
        for (QWidget* other : controls) {
            if (qobject_cast<QGroupBox*>(other) || other->geometry().contains(control->geometry()))
                continue;
            if (std::any_of(lines.begin(), lines.end(), [&](const QRect& line) {
                    return line.intersects(other->geometry());
                })) {
                out << "\n  frame of " << where(control) << " crosses " << where(other);
            }
        }
        for (QWidget* other : controls) {  // group boxes frame others; the rest stand apart
            if (std::less<>()(control, other) && !group && !qobject_cast<QGroupBox*>(other) &&
                control->geometry().intersects(other->geometry())) {
                out << "\n  overlap: " << where(control) << " and " << where(other);
            }
        }
    }
    return out.str();
}

QString PictureFolder() {
    const QString folder = QString::fromStdString(
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "page_pictures");
    EXPECT_TRUE(QDir().mkpath(folder));
    return folder;
}

// The locale fontconfig takes the desktop's languages from, as the program
// was started: the main dialog's fixture sets LANG for the interface language.
const QString kDesktopLocale = [] {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return QString::fromLocal8Bit(value);
    }
    return QStringLiteral("C");
}();

// Checks the window's layout and keeps its picture as
// <name>_<en|zh>@<locale>.png, so the runs under each locale keep theirs.
void CheckAndPicture(QWidget& window, const std::string& name, int language) {
    EXPECT_EQ(LayoutProblems(window), "") << name << " in language " << language;
    const QString path = QString("%1/%2_%3@%4.png")
                             .arg(PictureFolder(), QString::fromStdString(name),
                                  language == 2 ? "zh" : "en", kDesktopLocale);
    EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
}

TEST(PagePicturesTest, TextsFitAndControlsStandApart) {
    for (const int language : {1, 2}) {
        PageGlobals globals(language);
        ConfiguredDevice device(true);
        PageSet pages(device);
        pages.parent.show();
        for (TemplateDialog* page : pages.parent.findChildren<TemplateDialog*>()) {
            page->show();
            CheckAndPicture(*page, page->metaObject()->className(), language);
            page->hide();
        }
    }
}

// A control that ends where its dialog ends, in dialog units, ends there in
// pixels too, whatever base units the desktop's font gives.
TEST(PagePicturesTest, ControlsStayInsideTheirWindowAtEveryFontSize) {
    const DialogTemplate* templates[] = {
        &g_mainDialogTemplate, &g_ioPageTemplate,     &g_cmdDialogTemplate,
        &g_uartPageTemplate,   &g_loraPageTemplate,   &g_lrwanPageTemplate,
        &g_comOptionTemplate,  &g_systemPageTemplate, &g_upgradeDialogTemplate,
        &g_waitDialogTemplate, &g_claaPageTemplate};
    for (int width = 4; width <= 16; ++width) {
        for (int height = 8; height <= 32; ++height) {
            const DialogUnits units{width, height};
            for (const DialogTemplate* dialog : templates) {
                const QRect window(QPoint(0, 0), QSize(units.ToPixelsX(dialog->width),
                                                       units.ToPixelsY(dialog->height)));
                for (std::size_t i = 0; i < dialog->controlCount; ++i) {
                    const ControlTemplate& row = dialog->controls[i];
                    QRect rect = units.ToPixels(row.x, row.y, row.w, row.h);
                    // A combo box's height holds its open list; the closed box is
                    // as tall as the style makes it (the pictures test sees that).
                    if (row.kind == ControlKind::ComboBox) rect.setHeight(1);
                    EXPECT_TRUE(window.contains(rect))
                        << "dialog " << dialog->id << " control " << row.id << " base units "
                        << width << " x " << height;
                }
            }
        }
    }
}

// The main window with a module's pages in it, and every dialog it opens.
TEST_F(MainDialogTest, DialogPicturesShowTextsWholeInsideTheirFrames) {
    for (const int language : {1, 2}) {
        WriteIni("[CONFIG]\r\nLANGUAGE=" + std::to_string(language) + "\r\n");
        Start();
        Load();
        for (const char* name : {"ttyUSB10", "ttyACM0"})
            m_dialog->Combo(IDC_COMBO_COMPORT)->AddString(name);
        // The pages take the area the tab control gives them, not their template's size.
        for (TemplateDialog* page :
             m_dialog->Tab(IDC_TAB_CONFIG)->findChildren<TemplateDialog*>()) {
            for (QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                EXPECT_TRUE(page->rect().contains(control->geometry()))
                    << page->metaObject()->className() << " " << TextOf(control).toStdString();
            }
        }
        CheckAndPicture(*m_dialog, "CFenwoldDlg", language);

        {
            CWaitDialog wait(m_dialog.get());
            wait.show();
            CheckAndPicture(wait, "CWaitDialog", language);
        }
        Modal<CUpgradeDlg>(
            [&](CUpgradeDlg& dialog) { CheckAndPicture(dialog, "CUpgradeDlg", language); });
        Modal<CCmdConfigDialog>([&](CCmdConfigDialog& dialog) {
            CheckAndPicture(dialog, "CCmdConfigDialog", language);
        });
        {
            CComOptionDlg options(m_dialog.get());
            RunModal(options, [&] { CheckAndPicture(options, "CComOptionDlg", language); });
        }

        // Qt's own dialogs speak the interface language too.
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text().toStdString(),
                  language == 2 ? "确定" : "OK");
        EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().toStdString(),
                  language == 2 ? "取消" : "Cancel");
        Restart();
    }
}
}  // namespace
