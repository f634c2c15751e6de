// The main dialog: the main road (load, tabs per flavour, write), refused values, restart,
// restore, the parameter file, the language at start and from the menu.
#include "catalogue/lang_text.h"
#include "tests/support/fifo_without_writer.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/param_file.h"

using ParamFileTest = MainDialogTest;
using LanguageTest = MainDialogTest;

class MainRoadTest : public MainDialogTest {
protected:
    void LoadAndToggleWorkMode() {
        Load();
        auto* box = dynamic_cast<TemplateDialog&>(*m_dialog->PageWidget(1)).DlgItem<ComboBox>(1092);
        box->SetCurSel(box->GetCurSel() == 0 ? 1 : 0);
    }
};

TEST_F(MainRoadTest, LoadShowsTheTabsAndNetworkPageOfEachFlavour) {
    const std::tuple<ModuleSimulator::Identity, int, const char*> rows[] = {
        {{"D", "", "STANDARD", "V2", "", ".1"}, 4, "CLoraSettingDlg"},
        {{"S", "", "STD", "V1", "", ".3"}, 3, "CLoraSettingDlg"},
        {{"D", "E", "LRWAN", "V1", "", ".3"}, 3, "CLoraWanSettingDlg"},
        {{"D", "", "CLAA", "V2", "", ".0"}, 3, "CClaaSettingDlg"},
        {{}, 3, nullptr}};  // no version identified: tab 0 empty
    const Texts names = {"Network", "System", "Serial Port", "IO Port"};
    for (const auto& [identity, count, networkPage] : rows) {
        Restart();
        Start(identity, networkPage != nullptr);
        networkPage ? Load() : m_dialog->ShowPagesForModule();
        TabControl* tabs = m_dialog->Tab(IDC_TAB_CONFIG);
        Texts shown;
        for (int i = 0; i < tabs->GetItemCount(); ++i) shown.push_back(tabs->GetItemText(i));
        EXPECT_EQ(shown, Texts(names.begin(), names.begin() + count)) << identity.flavour;
        QWidget* page = m_dialog->PageWidget(0);
        EXPECT_STREQ(page && page->isVisible() ? page->metaObject()->className() : nullptr,
                     networkPage);
    }
}

TEST_F(MainRoadTest, WriteSendsTheEditedValuesOnceAndTheBaselineFollows) {
    Start();
    const std::string oldMode = m_sim->value("AT_MOD");
    LoadAndToggleWorkMode();
    FrameInterval()->setText("345");
    m_sim->clearRecord();
    Click(IDC_BUTTON_SAVEPARAMS);
    EXPECT_NE(m_sim->value("AT_MOD"), oldMode);
    EXPECT_EQ(Texts({m_sim->value("AT_ITV"), m_device->m_paramValues["CONFIG_ID_FRAME_INETRVAL"],
                     m_device->m_paramValues["CONFIG_ID_WORK_MODE"]}),
              Texts({"345", "345", m_sim->value("AT_MOD")}));
    EXPECT_EQ(m_sim->countReceived("AT+ITV=345\r\n"), 1);
    EXPECT_EQ(m_sim->saveCount(), 1);
    EXPECT_TRUE(LogHas("write params complete")) << m_transcript;
    m_sim->clearRecord();
    Click(IDC_BUTTON_SAVEPARAMS);
    EXPECT_TRUE(m_sim->receivedLines().empty());
    EXPECT_TRUE(LogHas("write param complete. no config changed")) << m_transcript;
}

// Nothing is sent, not even the valid work mode; a line break would start a factory restore.
TEST_F(MainRoadTest, AnInvalidValueIsLoggedAndNothingIsSent) {
    const std::tuple<int, const char*, const char*> rows[] = {
        {1, "70000", "error:Frame Interval invalid value 70000"},
        {1, "100\nAT+FAC", "error:Frame Interval invalid value 100"},
        {1, "100\rAT+FAC", "error:Frame Interval invalid value 100"},
        {2, "0", "error:数据帧间隔 无效值 0"}};
    for (int language = 0; const auto& [rowLanguage, value, line] : rows) {
        if (std::exchange(language, rowLanguage) != rowLanguage) {
            Restart();
            WriteIni("[CONFIG]\r\nLANGUAGE=" + std::to_string(language) + "\r\n");
            Start();
            LoadAndToggleWorkMode();
        }
        FrameInterval()->setText(QString::fromUtf8(value));
        m_sim->clearRecord();
        const std::string added = Logged([&] { Click(IDC_BUTTON_SAVEPARAMS); });
        EXPECT_NE(added.find(line), std::string::npos) << added;
        EXPECT_EQ(std::count(added.begin(), added.end(), ':'), 3) << added;  // one stamped line
        EXPECT_EQ(m_sim->receivedLines(), Texts()) << value;
    }
}

// Only the restore button loads, and only after a success.
TEST_F(MainRoadTest, RestartAndRestoreOutcomes) {
    const std::tuple<int, bool, bool, const char*> rows[] = {
        // item, menu, trouble (restore refused; port closed for a restart), log line
        {IDC_BUTTON_RESTOREFACTORY, false, false, "restore factory success"},
        {IDC_BUTTON_RESTOREFACTORY, false, true, "error:restore factory fail"},
        {ID_OPERATION_RESTOREFACTORY, true, false, "restore factory success"},
        {IDC_BUTTON_RESTART, false, false, "reboot success"},
        {ID_OPERATION_RESTART, true, true, "error:reboot fail"}};
    Start();
    m_sim->setValue("AT_ITV", "777");
    Load();
    ASSERT_EQ(Interval(), "777");
    for (const auto& [id, menu, trouble, line] : rows) {
        const bool loads = id == IDC_BUTTON_RESTOREFACTORY && !trouble;
        if (trouble && id == ID_OPERATION_RESTART) Click(IDC_BUTTON_OPENCOM);
        if (trouble && id != ID_OPERATION_RESTART) m_sim->setFault(SimFault::Error, "AT+FAC", 1);
        m_sim->clearRecord();
        const std::string added = Logged([&] { Click(id, menu); });
        EXPECT_NE(added.find(line), std::string::npos) << added;
        EXPECT_EQ(m_sim->countReceived("AT+VER\r\n"), loads ? 1 : 0) << line;
        EXPECT_EQ(Interval(), m_sim->factoryValue("AT_ITV")) << line;
        EXPECT_TRUE(!loads || m_device->m_paramValues["CONFIG_ID_FRAME_INETRVAL"] == Interval());
    }
}

static std::string WithLf(std::string text) {
    std::erase(text, '\r');
    return text;
}

// An import changes the pages, never the baseline.
TEST_F(ParamFileTest, ExportThenImportRoundTripAndOddFiles) {
    Start();
    Load();
    m_chosenPath = m_folder + "/ConfigFile.ini";
    Click(IDC_BUTTON_EXPORT);
    ASSERT_EQ(m_boxes, Texts{"Export configuration success"});
    const std::string file = ReadFile(m_chosenPath), itv = m_sim->value("AT_ITV");
    // A device is never replaced by an export, nor reported as one.
    m_chosenPath = "/dev/full";
    m_boxes.clear();
    Click(IDC_BUTTON_EXPORT);
    EXPECT_EQ(m_boxes, Texts{"Failed to open file\nIt is not a regular file."});
    m_boxes.clear();
    m_chosenPath = m_folder + "/ConfigFile.ini";
    // Every line ends in CR LF, and no CR or LF stands anywhere else.
    EXPECT_NE(file.find("+ITV:" + itv + "\r\n"), std::string::npos) << file;
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), std::ssize(m_device->m_supportedParams));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), std::ssize(m_device->m_supportedParams));
    EXPECT_EQ(WithLf(file).size(), file.size() - m_device->m_supportedParams.size());
    const ParamValueMap baseline = m_device->m_paramValues;
    const char *ok = "Import configuration success", *failed = "Failed to import configuration";
    const std::tuple<std::string, const char*, const char*> rows[] = {  // file, box shows, message
        {file, itv.c_str(), ok},
        {"+ITV:111\r\n+ITV:222\r\n", "111", ok},                // doubled tag: the first counts
        {"+MOD:1\r\n+ITV:333", "333", ok},                      // last line without CR LF
        {"+DEI:01:02\r\n+AEI:x\r\n", "999", failed},            // tags the module lacks
        {std::string("+MOD:1\r\n\0+ITV:444\r\n", 20), "", ok},  // a NUL byte ends the text
        {"", "999", failed},
        // LF line ends (as a Linux editor saves them) end a value as CR LF does.
        {WithLf(file), itv.c_str(), ok}, {"+MOD:1\n+ITV:555\n", "555", ok},
        {"+ITV:556\n+MOD:1\r\n", "556", ok}};
    for (const auto& [content, interval, box] : rows) {
        FrameInterval()->setText("999");
        std::ofstream(m_chosenPath = m_folder + "/import.ini", std::ios::binary) << content;
        m_boxes.clear();
        Click(IDC_BUTTON_IMPORT);
        EXPECT_EQ(m_boxes, Texts{box}) << content;
        EXPECT_EQ(Interval(), interval) << content;
        EXPECT_EQ(m_device->m_paramValues, baseline);
        if (content != file && content != WithLf(file)) continue;
        m_sim->clearRecord();
        Click(IDC_BUTTON_SAVEPARAMS);
        EXPECT_TRUE(m_sim->receivedLines().empty());
    }
}

// Chooser cancelled; no module recognised (an empty file is a success); an unopenable path.
TEST_F(ParamFileTest, FileProblemsAndNoModule) {
    Start({}, false);
    for (const std::string path : {"", "/empty.ini", "/no/such/folder/file.ini"}) {
        m_chosenPath = path.empty() ? path : m_folder + path;
        Click(ID_OPERATION_EXPORTCONFIG, true);
        Click(ID_OPERATION_IMPORTCONFIG, true);
    }
    EXPECT_EQ(std::filesystem::file_size(m_folder + "/empty.ini"), 0u);
    EXPECT_EQ(m_boxes, (Texts{"Export configuration success", "Failed to import configuration",
                              "Failed to open file\nThe folder does not exist.",
                              "Failed to open file"}));
}

// Anything but a regular file of at most 1 MiB is refused before it is read, as a file that
// cannot be opened is; a FIFO without a writer must not hang the window.
TEST_F(ParamFileTest, ImportReadsOnlyARegularFileWithinTheBound) {
    Start({}, false);
    FifoWithoutWriter fifo(m_folder + "/fifo.ini");
    ASSERT_TRUE(fifo.made());
    std::filesystem::create_directory(m_folder + "/folder.ini");
    const auto sparse = [this](const char* name, std::uintmax_t size) {
        std::ofstream(m_folder + name);
        std::filesystem::resize_file(m_folder + name, size);
        return m_folder + name;
    };
    const char *refused = "Failed to open file", *read = "Failed to import configuration";
    const std::pair<std::string, const char*> rows[] = {
        {m_folder + "/fifo.ini", refused}, {"/dev/zero", refused},
        {m_folder + "/folder.ini", refused},
        {sparse("/over.ini", kMaxParamFileBytes + 1), refused},
        {sparse("/full.ini", kMaxParamFileBytes), read}};  // no module: nothing to import
    for (const auto& [path, box] : rows) {
        m_boxes.clear();
        m_chosenPath = path;
        Click(ID_OPERATION_IMPORTCONFIG, true);
        EXPECT_EQ(m_boxes, Texts{box}) << path;
    }
    EXPECT_FALSE(fifo.readerWasStuck());
}

TEST_F(LanguageTest, StartUpLanguageFromTheSettingsFileOrTheLocale) {
    const char *zh = "zh_CN.UTF-8", *en = "en_GB.UTF-8", *de = "de_DE.UTF-8";
    // Settings line, LC_ALL, LANG, the language settled.
    const std::tuple<const char*, const char*, const char*, int> rows[] = {
        {"LANGUAGE=0", "", zh, 2}, {"LANGUAGE=0", "", en, 1}, {"LANGUAGE=1", "", zh, 1},
        {"LANGUAGE=2", "", en, 2}, {"LANGUAGE=3", "zh_TW.UTF-8", de, 2}, {"LANGUAGE=3", "C", zh, 1},
        {"LANGUAGE=-1", "", zh, -1}, {"", "", zh, 2}, {"", "", de, 1}, {"", zh, en, 2}};
    for (const auto& [setting, lcAll, lang, language] : rows) {
        SCOPED_TRACE(std::string(setting) + " LC_ALL=" + lcAll + " LANG=" + lang);
        Restart();
        *lcAll ? setenv("LC_ALL", lcAll, 1) : unsetenv("LC_ALL");
        setenv("LANG", lang, 1);
        WriteIni(std::string("[CONFIG]\r\n") + setting + "\r\n");
        Start({}, false);
        EXPECT_EQ(g_language, language);
        EXPECT_EQ(m_dialog->GetDlgItemText(IDC_BUTTON_OPENCOM), language == 2 ? "打开" : "Open");
        EXPECT_EQ(m_dialog->Menu()->IsItemChecked(ID_LANGUAGE_CHINESE), language == 2);
        EXPECT_EQ(m_dialog->Menu()->IsItemChecked(ID_LANGUAGE_ENGLISH), language != 2);
    }
}

// The choice takes effect at the next start only.
TEST_F(LanguageTest, ChoosingALanguageWritesTheFileAndChangesNothingElse) {
    WriteIni("[CONFIG]\r\nLANGUAGE=1\r\n");
    Start({}, false);
    for (const int id : {ID_LANGUAGE_CHINESE, ID_LANGUAGE_ENGLISH}) {
        Click(id, true);
        const bool chinese = id == ID_LANGUAGE_CHINESE;
        EXPECT_NE(ReadFile(m_folder + "/ParamCfg.ini").find(chinese ? "LANGUAGE=2" : "LANGUAGE=1"),
                  std::string::npos);
        EXPECT_EQ(m_dialog->Menu()->IsItemChecked(ID_LANGUAGE_CHINESE), chinese);
        EXPECT_EQ(g_language, 1);
        EXPECT_EQ(m_dialog->GetDlgItemText(IDC_BUTTON_LOADPARAMS), "Load Params");
    }
    EXPECT_EQ(m_boxes, Texts(2, "Take effect after reboot application"));
}
