// The IO page's rule: a pin's interval can be edited only while the pin is
// an input, after a load and after the user changes a pin's mode; the
// interval is collected whatever its state.
#include <QTest>

#include "resources/io_page_ids.h"
#include "tests/ui/page_test_support.h"
#include "ui/combo_box.h"
#include "ui/controls.h"

namespace {

using namespace page_test;

constexpr int kModes[] = {IDC_IO_COMBO_DM1, IDC_IO_COMBO_DM2, IDC_IO_COMBO_DM3, IDC_IO_COMBO_DM4,
                          IDC_IO_COMBO_DM5};
constexpr int kIntervals[] = {IDC_IO_EDIT_DT1, IDC_IO_EDIT_DT2, IDC_IO_EDIT_DT3, IDC_IO_EDIT_DT4,
                              IDC_IO_EDIT_DT5};

// "+" for an enabled interval edit, "-" for a disabled one, pins D1 to D5.
std::string Intervals(const CIOConfigDialog& page) {
    std::string out;
    for (int id : kIntervals) out += IsWindowEnabled(page.GetDlgItem(id)) ? '+' : '-';
    return out;
}

class IoPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        for (int n = 1; n <= 5; ++n) {
            device.m_supportedParams.insert("CONFIG_ID_DM" + std::to_string(n));
            device.m_supportedParams.insert("CONFIG_ID_DT" + std::to_string(n));
        }
    }

    LanguageScope language{1};
    ConfiguredDevice device;
};

TEST_F(IoPageTest, IntervalFollowsLoadedModes) {
    PageSet pages(device);
    struct Row {
        const char* name;
        ParamValueMap modes;
        const char* intervals;
    };
    const Row rows[] = {
        {"each mode once: not used, analog in, GPIO in, GPIO out low, GPIO out high",
         {{"CONFIG_ID_DM1", "0"},
          {"CONFIG_ID_DM2", "1"},
          {"CONFIG_ID_DM3", "2"},
          {"CONFIG_ID_DM4", "3"},
          {"CONFIG_ID_DM5", "4"}},
         "-++--"},
        {"all inputs",
         {{"CONFIG_ID_DM1", "1"},
          {"CONFIG_ID_DM2", "2"},
          {"CONFIG_ID_DM3", "1"},
          {"CONFIG_ID_DM4", "2"},
          {"CONFIG_ID_DM5", "1"}},
         "+++++"},
        {"a mode outside the list leaves no selection",
         {{"CONFIG_ID_DM1", "7"},
          {"CONFIG_ID_DM2", "0"},
          {"CONFIG_ID_DM3", "0"},
          {"CONFIG_ID_DM4", "0"},
          {"CONFIG_ID_DM5", "0"}},
         "-----"},
    };
    for (const Row& row : rows) {
        ParamValueMap values = row.modes;
        for (int n = 1; n <= 5; ++n)
            values["CONFIG_ID_DT" + std::to_string(n)] = std::to_string(n * 10);
        pages.io.SetValues(values);
        EXPECT_EQ(Intervals(pages.io), row.intervals) << row.name;
        ParamValueMap read;
        pages.io.GetValues(read);
        for (int n = 1; n <= 5; ++n) {
            EXPECT_EQ(read["CONFIG_ID_DT" + std::to_string(n)], std::to_string(n * 10))
                << row.name << ": pin D" << n << " interval is collected";
        }
    }
}

TEST_F(IoPageTest, IntervalFollowsTheUsersModeChange) {
    PageSet pages(device);
    pages.io.SetValues({{"CONFIG_ID_DM3", "3"}, {"CONFIG_ID_DT3", "77"}});
    ASSERT_EQ(Intervals(pages.io).at(2), '-');
    ComboBox* mode = pages.io.Combo(IDC_IO_COMBO_DM3);
    struct Step {
        Qt::Key key;
        int selection;
        char interval;
    };
    const Step steps[] = {
        {Qt::Key_Up, 2, '+'},                           // GPIO input
        {Qt::Key_Up, 1, '+'},                           // analog input
        {Qt::Key_Home, 0, '-'},                         // not used
        {Qt::Key_Down, 1, '+'}, {Qt::Key_End, 4, '-'},  // GPIO output high
    };
    for (const Step& step : steps) {
        QTest::keyClick(mode, step.key);
        ASSERT_EQ(mode->GetCurSel(), step.selection);
        EXPECT_EQ(Intervals(pages.io).at(2), step.interval) << "mode position " << step.selection;
    }
    ParamValueMap read;
    pages.io.GetValues(read);
    EXPECT_EQ(read["CONFIG_ID_DM3"], "4");
    EXPECT_EQ(read["CONFIG_ID_DT3"], "77");
}

TEST_F(IoPageTest, ModuleWithoutIoLeavesEveryPinDisabledAndEmpty) {
    device.m_supportedParams.clear();
    PageSet pages(device);
    pages.io.SetValues({{"CONFIG_ID_DM1", "1"}, {"CONFIG_ID_DT1", "5"}});
    EXPECT_EQ(Intervals(pages.io), "-----");
    for (int id : kModes) {
        EXPECT_FALSE(IsWindowEnabled(pages.io.GetDlgItem(id))) << id;
        EXPECT_EQ(pages.io.Combo(id)->GetCurSel(), -1) << id;
    }
    ParamValueMap read;
    pages.io.GetValues(read);
    EXPECT_TRUE(read.empty());
}

}  // namespace
