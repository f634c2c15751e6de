// The six pages in English and in Chinese, every control shown: each text is
// drawn whole in the dialog font and no control overlaps its neighbour. Pictures
// go to page_pictures/ beside this test program, for a reviewer to look at.
#include <filesystem>
#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <sstream>

#include "tests/ui/page_test_support.h"

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
    return {};
}

// Every problem of one page with all its controls shown, one per line.
std::string LayoutProblems(TemplateDialog& page) {
    std::ostringstream out;
    const auto where = [](const QWidget* c) { return "\"" + TextOf(c).toStdString() + "\""; };
    const QList<QWidget*> controls = page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* control : controls) control->show();  // rows a page's rules hide too
    for (QWidget* control : controls) {
        if (!page.rect().contains(control->geometry())) out << "\n  outside: " << where(control);
        auto* group = qobject_cast<QGroupBox*>(control);
        // A group title sits on the frame, a few pixels in from each side; any
        // other text is cut when a larger control shows more of it.
        const bool cut = group ? group->fontMetrics().horizontalAdvance(group->title()) >
                                     group->width() - 2 * group->fontMetrics().averageCharWidth()
                               : !TextOf(control).isEmpty() &&
                                     InkPixels(control, control->size()) !=
                                         InkPixels(control, control->size() + QSize(80, 20));
        if (cut) out << "\n  text cut: " << where(control);
        for (QWidget* other : controls) {  // group boxes frame others; the rest stand apart
            if (std::less<>()(control, other) && !group && !qobject_cast<QGroupBox*>(other) &&
                control->geometry().intersects(other->geometry())) {
                out << "\n  overlap: " << where(control) << " and " << where(other);
            }
        }
    }
    return out.str();
}

TEST(PagePicturesTest, TextsFitAndControlsStandApart) {
    const QString folder = QString::fromStdString(
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "page_pictures");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const int language : {1, 2}) {
        PageGlobals globals(language);
        ConfiguredDevice device(true);
        PageSet pages(device);
        pages.parent.show();
        for (TemplateDialog* page : pages.parent.findChildren<TemplateDialog*>()) {
            page->show();
            EXPECT_EQ(LayoutProblems(*page), "")
                << page->metaObject()->className() << " " << language;
            const QString path =
                QString("%1/%2_%3.png")
                    .arg(folder, page->metaObject()->className(), language == 2 ? "zh" : "en");
            EXPECT_TRUE(page->grab().save(path)) << path.toStdString();
            page->hide();
        }
    }
}
}  // namespace
