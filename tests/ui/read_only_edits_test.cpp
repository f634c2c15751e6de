// Read-only edits are drawn on their dialog's face, as on Windows, so that no
// one takes them for boxes to type in; their text can still be selected and
// copied. A box the user types in keeps its own colour.
#include <QClipboard>
#include <QColor>
#include <QImage>
#include <QPlainTextEdit>
#include <algorithm>
#include <map>

#include "resources/main_dialog_ids.h"
#include "resources/upgrade_dialog_ids.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/upgrade_dlg.h"

namespace {

// The colour most of a box's inside is drawn in, its frame left out: its
// background, whatever text or selection lies on it.
std::string InsideColour(QWidget& box) {
    const QImage image = box.grab().toImage();
    const int inset = qRound(3 * image.devicePixelRatio());
    std::map<QRgb, int> counts;
    for (int y = inset; y < image.height() - inset; ++y)
        for (int x = inset; x < image.width() - inset; ++x) ++counts[image.pixel(x, y)];
    if (counts.empty()) return "(no inside)";
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](auto& a, auto& b) { return a.second < b.second; });
    return QColor(most->first).name().toStdString();
}

// The dialog's face as the dialog draws it behind its controls.
std::string FaceColour(QWidget& dialog) {
    QImage image(dialog.size(), QImage::Format_ARGB32);
    dialog.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return QColor(image.pixel(0, 0)).name().toStdString();
}

// What Ctrl+A, Ctrl+C puts on the clipboard, and the box's text after typing.
std::pair<std::string, std::string> CopyThenType(QLineEdit& box) {
    QApplication::clipboard()->clear();
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    const std::string copied = QApplication::clipboard()->text().toStdString();
    QTest::keyClicks(&box, "typed");
    return {copied, box.text().toStdString()};
}

using ReadOnlyEditsTest = MainDialogTest;

TEST_F(ReadOnlyEditsTest, DrawnOnTheDialogFaceWithTheirTextCopyable) {
    const std::string image = m_folder + "/firmware.bin";
    Start();
    m_device->m_upgradeFile = image;
    Load();
    auto& version = *m_dialog->DlgItem<QLineEdit>(IDC_EDIT_VERSION);
    const std::string face = FaceColour(*m_dialog);
    const std::tuple<const char*, QWidget*, bool> rows[] = {
        // box, the widget its inside is drawn on, read-only
        {"version field", &version, true},
        {"log pane", m_dialog->LogView().pane()->viewport(), true},
        {"frame interval", FrameInterval(), false},
    };
    for (const auto& [box, inside, readOnly] : rows) {
        const std::string drawn = InsideColour(*inside);
        EXPECT_EQ(drawn == face, readOnly) << box << " drawn on " << drawn << ", face " << face;
    }
    const std::string shown = version.text().toStdString();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(CopyThenType(version), std::make_pair(shown, shown));

    Modal<CUpgradeDlg>([&](CUpgradeDlg& dialog) {
        auto& file = *dialog.DlgItem<QLineEdit>(IDC_UPG_EDIT_FILE);
        EXPECT_EQ(InsideColour(file), FaceColour(dialog)) << "file box";
        EXPECT_EQ(CopyThenType(file), std::make_pair(image, image)) << "file box";
    });
}

}  // namespace
