// Export and import of the parameter file through the main dialog.
#include "tests/ui/fenwold_dlg_fixture.h"

class ParamFileTest : public MainDialogTest {
protected:
    void Import(const std::string& content) {
        const std::string path = m_folder + "/import.ini";
        std::ofstream(path, std::ios::binary) << content;
        m_chosenPath = path;
        m_boxes.clear();
        Click(IDC_BUTTON_IMPORT);
    }
};

TEST_F(ParamFileTest, ExportThenImportGivesBackEveryValue) {
    StartOpen({"D", "", "STANDARD", "V2", "", ".1"});
    Load();
    m_chosenPath = m_folder + "/ConfigFile.ini";
    Click(IDC_BUTTON_EXPORT);
    ASSERT_EQ(m_boxes, std::vector<std::string>{"Export configuration success"});
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_TRUE(m_requests[0].save);
    EXPECT_EQ(m_requests[0].initialFile, "ConfigFile.ini");
    EXPECT_EQ(m_requests[0].filter, "INI Files (*.ini)|*.ini|All Files (*.*)|*.*||");

    const std::string file = ReadFile(m_chosenPath);
    EXPECT_NE(file.find("+ITV:" + m_sim->value("AT_ITV") + "\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("+TYP:"), std::string::npos) << file;
    // One CR LF line per supported parameter, nothing else.
    size_t lines = 0;
    for (size_t at = file.find("\r\n"); at != std::string::npos; at = file.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, m_device->m_supportedParams.size());

    const ParamValueMap baseline = m_device->m_paramValues;
    FrameIntervalEdit()->setText("4321");
    m_chosenPath = m_folder + "/ConfigFile.ini";
    m_boxes.clear();
    Click(IDC_BUTTON_IMPORT);
    EXPECT_EQ(m_boxes, std::vector<std::string>{"Import configuration success"});
    EXPECT_EQ(FrameIntervalEdit()->text().toStdString(), m_sim->value("AT_ITV"));
    EXPECT_EQ(m_device->m_paramValues, baseline);

    // What the pages hold now equals what was loaded: a write sends nothing.
    m_sim->clearRecord();
    Click(IDC_BUTTON_SAVEPARAMS);
    EXPECT_TRUE(m_sim->receivedLines().empty());
    EXPECT_TRUE(LogHas("write param complete. no config changed"));
}

TEST_F(ParamFileTest, ImportTakesTheFirstTagIgnoresOthersAndStopsAtANulByte) {
    StartOpen({"S", "", "STANDARD", "V1", "", ".3"});
    Load();
    const ParamValueMap baseline = m_device->m_paramValues;
    struct Row {
        const char* name;
        std::string content;
        const char* interval;  // expected text of the frame-interval box
        const char* box;
    };
    const Row rows[] = {
        {"doubled tag: the first counts", "+ITV:111\r\n+ITV:222\r\n", "111",
         "Import configuration success"},
        {"last line without CR LF", "+MOD:1\r\n+ITV:333", "333", "Import configuration success"},
        {"tags the module does not support are ignored", "+DEI:01:02\r\n+AEI:x\r\n", nullptr,
         "Failed to import configuration"},
        {"a NUL byte ends the text", std::string("+MOD:1\r\n\0+ITV:444\r\n", 20), "",
         "Import configuration success"},
        {"empty file", "", nullptr, "Failed to import configuration"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FrameIntervalEdit()->setText("999");
        Import(row.content);
        EXPECT_EQ(m_boxes, std::vector<std::string>{row.box});
        if (row.interval != nullptr) {
            EXPECT_EQ(FrameIntervalEdit()->text().toStdString(), row.interval);
        } else {
            EXPECT_EQ(FrameIntervalEdit()->text().toStdString(), "999");
        }
        EXPECT_EQ(m_device->m_paramValues, baseline);
    }
}

TEST_F(ParamFileTest, FileProblemsAndNoModule) {
    StartDialog();
    // Chooser cancelled: nothing at all.
    m_chosenPath.clear();
    Menu(ID_OPERATION_EXPORTCONFIG);
    Menu(ID_OPERATION_IMPORTCONFIG);
    EXPECT_TRUE(m_boxes.empty());

    // No module recognised: an empty file, reported as a success.
    m_chosenPath = m_folder + "/empty.ini";
    Menu(ID_OPERATION_EXPORTCONFIG);
    EXPECT_EQ(m_boxes, std::vector<std::string>{"Export configuration success"});
    EXPECT_TRUE(std::filesystem::exists(m_chosenPath));
    EXPECT_EQ(std::filesystem::file_size(m_chosenPath), 0u);

    m_boxes.clear();
    Menu(ID_OPERATION_IMPORTCONFIG);
    EXPECT_EQ(m_boxes, std::vector<std::string>{"Failed to import configuration"});

    // A path that cannot be opened.
    m_boxes.clear();
    m_chosenPath = m_folder + "/no/such/folder/file.ini";
    Menu(ID_OPERATION_EXPORTCONFIG);
    Menu(ID_OPERATION_IMPORTCONFIG);
    EXPECT_EQ(m_boxes, (std::vector<std::string>{"Failed to open file", "Failed to open file"}));
}
