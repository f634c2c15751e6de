// The six pages as a user sees them, in English and in Chinese: every
// label, note and caption is drawn whole in the dialog font and no control
// overlaps its neighbour. Pictures of the pages go to page_pictures/ beside
// this test program, for a reviewer to look at.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <sstream>

#include "tests/ui/page_test_support.h"

namespace {

using namespace page_test;

// Pixels of a control's picture that differ from its background corner.
int InkPixels(QWidget* control, QSize size) {
    const QSize saved = control->size();
    control->resize(size);
    const QImage image = control->grab().toImage();
    control->resize(saved);
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) ink += image.pixel(x, y) != background ? 1 : 0;
    }
    return ink;
}

// A control's text is cut when drawing the control larger shows more of it.
bool TextIsCut(QWidget* control) {
    return InkPixels(control, control->size()) !=
           InkPixels(control, control->size() + QSize(80, 20));
}

QString TextOf(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control)) return group->title();
    return {};
}

std::string Where(const TemplateDialog& page, const QWidget* control) {
    std::ostringstream out;
    const QRect r = control->geometry();
    out << page.metaObject()->className() << " \"" << TextOf(control).toStdString() << "\" at "
        << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    return out.str();
}

// Every problem of one page, one per line.
std::string LayoutProblems(TemplateDialog& page) {
    std::ostringstream out;
    const QList<QWidget*> controls = page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* control : controls) {
        if (!page.rect().contains(control->geometry())) {
            out << "\n  outside the page: " << Where(page, control);
        }
        if (auto* group = qobject_cast<QGroupBox*>(control)) {
            // The title sits on the frame, a few pixels in from each side.
            const int room = group->width() - 2 * group->fontMetrics().averageCharWidth();
            if (group->fontMetrics().horizontalAdvance(group->title()) > room) {
                out << "\n  title cut: " << Where(page, control);
            }
        } else if (!TextOf(control).isEmpty() && TextIsCut(control)) {
            out << "\n  text cut: " << Where(page, control);
        }
    }
    // Group boxes frame other controls; everything else must stand apart.
    for (int i = 0; i < controls.size(); ++i) {
        if (qobject_cast<QGroupBox*>(controls[i])) continue;
        for (int j = i + 1; j < controls.size(); ++j) {
            if (qobject_cast<QGroupBox*>(controls[j])) continue;
            if (controls[i]->geometry().intersects(controls[j]->geometry())) {
                out << "\n  overlap: " << Where(page, controls[i]) << " and "
                    << Where(page, controls[j]);
            }
        }
    }
    return out.str();
}

// Every control shown, so the check also covers rows a page's rules hide.
void ShowEverything(TemplateDialog& page) {
    for (QWidget* control : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        control->show();
    }
}

class PagePicturesTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        App();
        for (const ConfigParam* const* row = g_configParams; *row != nullptr; ++row) {
            device.m_supportedParams.insert((*row)->configId);
        }
    }
    void TearDown() override { g_deviceVersion.clear(); }

    const char* LanguageName() const { return GetParam() == 2 ? "zh" : "en"; }

    static QString PictureFolder() {
        return QCoreApplication::applicationDirPath() + "/page_pictures";
    }

    void Save(TemplateDialog& page, const char* name) {
        page.show();
        const QString path = QString("%1/%2_%3.png").arg(PictureFolder(), name, LanguageName());
        EXPECT_TRUE(page.grab().save(path)) << path.toStdString();
        page.hide();
    }

    LanguageScope language{GetParam()};
    ConfiguredDevice device;
};

TEST_P(PagePicturesTest, TextsFitAndControlsStandApart) {
    PageSet pages(device);
    pages.parent.show();
    // The system page's captions are set at creation; a network module's
    // work-mode list has texts of its own, but lists are not checked here.
    for (auto [dialog, helper] : pages.Pages()) {
        ShowEverything(*dialog);
        dialog->show();
        EXPECT_EQ(LayoutProblems(*dialog), "") << "language " << GetParam();
    }
}

TEST_P(PagePicturesTest, WritesPicturesOfEachPage) {
    ASSERT_TRUE(QDir().mkpath(PictureFolder()));
    PageSet pages(device);
    pages.parent.show();

    // A standard module with a wake-up node: the fullest system page.
    g_deviceVersion = "K7R40D_STANDARD_V2.3";
    const ParamValueMap standard = {
        {"CONFIG_ID_WORK_MODE", "0"},
        {"CONFIG_ID_DEBUG_LEVEL", "1"},
        {"CONFIG_ID_DATA_DISPLAY_MODE", "1"},
        {"CONFIG_ID_SEND_COMPLETE", "1"},
        {"CONFIG_ID_SLEEP_MODE", "0"},
        {"CONFIG_ID_PREMABLE_TIME", "2"},
        {"CONFIG_ID_SLEEP_TIME", "2"},
        {"CONFIG_ID_WAKEUP_TIME", "50"},
        {"CONFIG_ID_BAUDRATE", "9"},
        {"CONFIG_ID_FRAME_INETRVAL", "20"},
        {"CONFIG_ID_PARITY", "0"},
        {"CONFIG_ID_STOPBITS", "0"},
        {"CONFIG_ID_ENTWORK_ID", "13654"},
        {"CONFIG_ID_DEVICE_TYPE", "2"},
        {"CONFIG_ID_DEVICE_ID", "100"},
        {"CONFIG_ID_TRANSPORT_ADDRESS", "0"},
        {"CONFIG_ID_RELAY_ADDRESS", "1000"},
        {"CONFIG_ID_CARRIER_FREQUENCY", "470"},
        {"CONFIG_ID_POWER", "20"},
        {"CONFIG_ID_SKY_RATE", "3"},
        {"CONFIG_ID_DM1", "1"},
        {"CONFIG_ID_DM2", "3"},
        {"CONFIG_ID_DT1", "60"},
        {"CONFIG_ID_DT2", "60"},
    };
    pages.Distribute(standard, &pages.lora);
    Save(pages.system, "system_wakeup_node");
    Save(pages.serialPort, "serial_port");
    Save(pages.lora, "lora");
    Save(pages.io, "io");

    // A LoRaWAN relay: the system page of a network module, the relay rows.
    g_deviceVersion = "K7R40D_LRWAN_V1.3";
    ParamValueMap lrwan = standard;
    lrwan["CONFIG_ID_LRWAN_DEVICE_TYPE"] = "1";
    lrwan["CONFIG_ID_AUTO_JOIN"] = "1";
    lrwan["CONFIG_ID_HEART_PERIOD"] = "60";
    lrwan["CONFIG_ID_DEI"] = "00:95:69:06:00:00:1A:2B";
    lrwan["CONFIG_ID_CFM"] = "1";
    lrwan["CONFIG_ID_CLAA_MODE"] = "1";
    pages.Distribute(lrwan, &pages.loraWan);
    Save(pages.system, "system_network_module");
    Save(pages.loraWan, "lora_wan");
    pages.claa.SetValues(lrwan);
    Save(pages.claa, "claa");
}

INSTANTIATE_TEST_SUITE_P(Languages, PagePicturesTest, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 2 ? "Chinese" : "English";
                         });

}  // namespace
