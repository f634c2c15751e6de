// The main road: open, load, the tabs of each flavour, edit, write.
#include "tests/ui/fenwold_dlg_fixture.h"

namespace {

struct FlavourCase {
    const char* name;
    ModuleSimulator::Identity identity;
    std::vector<std::string> tabs;
    const char* networkPageClass;  // class of the page tab 0 shows
};

std::string Describe(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& t : texts) out += "[" + t + "]";
    return out;
}

}  // namespace

class MainRoadTest : public MainDialogTest {};

TEST_F(MainRoadTest, LoadShowsTheTabsAndNetworkPageOfEachFlavour) {
    const std::vector<std::string> three = {"Network", "System", "Serial Port"};
    const std::vector<std::string> four = {"Network", "System", "Serial Port", "IO Port"};
    const FlavourCase cases[] = {
        {"STANDARD V2 model D", {"D", "", "STANDARD", "V2", "", ".1"}, four, "CLoraSettingDlg"},
        {"STD V1 model S", {"S", "", "STD", "V1", "", ".3"}, three, "CLoraSettingDlg"},
        {"LRWAN model D", {"D", "E", "LRWAN", "V1", "", ".3"}, three, "CLoraWanSettingDlg"},
        {"CLAA model D", {"D", "", "CLAA", "V2", "", ".0"}, three, "CClaaSettingDlg"},
    };
    WriteIni("[CONFIG]\r\nLANGUAGE=1\r\n");
    for (const FlavourCase& c : cases) {
        SCOPED_TRACE(c.name);
        StartOpen(c.identity);
        ASSERT_EQ(m_dialog->GetUiState(), UI_PORT_OPEN);
        Load();
        EXPECT_EQ(TabTexts(), c.tabs) << Describe(TabTexts());
        EXPECT_EQ(Tabs()->GetCurSel(), 0);
        QWidget* network = m_dialog->PageWidget(0);
        ASSERT_NE(network, nullptr);
        EXPECT_STREQ(network->metaObject()->className(), c.networkPageClass);
        EXPECT_TRUE(network->isVisible());
        EXPECT_EQ(LogCount("device version recognized"), 1) << Log();
        // The version field shows the version text (the GMR text for CLAA).
        const std::string shown = m_dialog->GetDlgItemText(IDC_EDIT_VERSION);
        if (c.identity.flavour == "CLAA") {
            EXPECT_EQ(shown, m_sim->gmrText());
        } else {
            EXPECT_EQ(shown, m_sim->versionReply());
        }
        // Every supported value came back as the baseline.
        EXPECT_EQ(m_device->m_paramValues.size(), m_device->m_supportedParams.size());
        TearDown();
        SetUp();
        WriteIni("[CONFIG]\r\nLANGUAGE=1\r\n");
    }
}

TEST_F(MainRoadTest, AModuleOfNoKnownVersionGetsThreeTabsAndAnEmptyNetworkTab) {
    StartDialog();
    // Nothing identified: the identity's version is empty.
    m_dialog->ShowPagesForModule();
    EXPECT_EQ(Tabs()->GetItemCount(), 3);
    EXPECT_EQ(m_dialog->PageWidget(0), nullptr);
    EXPECT_EQ(m_dialog->NetworkPage(), nullptr);
}

TEST_F(MainRoadTest, WriteSendsTheEditedValuesOnceAndTheBaselineFollows) {
    StartOpen({"D", "", "STANDARD", "V2", "", ".1"});
    Load();
    QLineEdit* interval = FrameIntervalEdit();
    ComboBox* workMode = WorkModeCombo();
    ASSERT_NE(interval, nullptr);
    ASSERT_NE(workMode, nullptr);
    const std::string oldMode = m_sim->value("AT_MOD");
    ASSERT_GT(workMode->GetCount(), 1);
    const int newIndex = workMode->GetCurSel() == 0 ? 1 : 0;
    workMode->SetCurSel(newIndex);
    interval->setText("345");

    m_sim->clearRecord();
    Click(IDC_BUTTON_SAVEPARAMS);
    EXPECT_EQ(m_sim->value("AT_ITV"), "345");
    EXPECT_NE(m_sim->value("AT_MOD"), oldMode);
    EXPECT_EQ(m_sim->saveCount(), 1);
    EXPECT_EQ(m_sim->countReceived("AT+ITV=345\r\n"), 1);
    EXPECT_EQ(m_device->m_paramValues["CONFIG_ID_FRAME_INETRVAL"], "345");
    EXPECT_EQ(m_device->m_paramValues["CONFIG_ID_WORK_MODE"], m_sim->value("AT_MOD"));
    EXPECT_TRUE(LogHas("write params complete")) << Log();

    // Nothing differs from the baseline now: nothing is sent.
    m_sim->clearRecord();
    Click(IDC_BUTTON_SAVEPARAMS);
    EXPECT_TRUE(m_sim->receivedLines().empty());
    EXPECT_TRUE(LogHas("write param complete. no config changed")) << Log();
}

TEST_F(MainRoadTest, AnInvalidValueIsLoggedWithItsLabelAndNothingIsSent) {
    struct Row {
        int language;
        std::string value;
        std::string line;
    };
    const Row rows[] = {
        {1, "70000", "Frame Interval invalid value 70000"},
        {2, "0", "数据帧间隔 无效值 0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        WriteIni("[CONFIG]\r\nLANGUAGE=" + std::to_string(row.language) + "\r\n");
        StartOpen({"S", "", "STANDARD", "V1", "", ".3"});
        Load();
        WorkModeCombo()->SetCurSel(WorkModeCombo()->GetCurSel() == 0 ? 1 : 0);
        FrameIntervalEdit()->setText(QString::fromStdString(row.value));
        m_sim->clearRecord();
        const size_t before = Log().size();
        Click(IDC_BUTTON_SAVEPARAMS);
        const std::string added = LogFrom(before);
        EXPECT_NE(added.find("error:" + row.line), std::string::npos) << added;
        // One error line, and the valid work mode is not written either.
        EXPECT_EQ(std::count(added.begin(), added.end(), ':'), 3) << added;
        EXPECT_EQ(m_sim->countReceived("+++"), 0);
        EXPECT_TRUE(m_sim->receivedLines().empty());
        TearDown();
        SetUp();
    }
}

TEST_F(MainRoadTest, AValueHoldingALineBreakIsInvalidAndSendsNoFurtherCommand) {
    StartOpen({"S", "", "STANDARD", "V1", "", ".3"});
    Load();
    // An imported file can carry a lone line feed inside a value: written as
    // it stands, the set line would go on with a factory restore.
    const std::string path = m_folder + "/evil.ini";
    std::ofstream(path, std::ios::binary) << "+ITV:100\nAT+FAC\r\n+MOD:1\r\n";
    m_chosenPath = path;
    Click(IDC_BUTTON_IMPORT);
    ASSERT_EQ(m_boxes.back(), "Import configuration success");
    EXPECT_EQ(FrameIntervalEdit()->text().toStdString(), "100\nAT+FAC");

    m_sim->clearRecord();
    const size_t before = Log().size();
    Click(IDC_BUTTON_SAVEPARAMS);
    const std::string added = LogFrom(before);
    EXPECT_NE(added.find("error:Frame Interval invalid value 100"), std::string::npos) << added;
    EXPECT_EQ(m_sim->factoryCount(), 0);
    EXPECT_TRUE(m_sim->receivedLines().empty());

    // A carriage return alone is refused the same way.
    FrameIntervalEdit()->setText("100\rAT+FAC");
    Click(IDC_BUTTON_SAVEPARAMS);
    EXPECT_TRUE(m_sim->receivedLines().empty());
    EXPECT_EQ(LogCount("error:Frame Interval invalid value"), 2) << Log();
}
