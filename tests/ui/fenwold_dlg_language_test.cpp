// The interface language settled at start, and the menu's language choice.
#include "tests/ui/fenwold_dlg_fixture.h"

namespace {

// Sets or clears the three locale variables for one case.
void SetLocale(const char* lang) {
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", lang, 1);
}

}  // namespace

class LanguageTest : public MainDialogTest {};

TEST_F(LanguageTest, StartUpLanguageFromTheSettingsFileOrTheLocale) {
    struct Row {
        const char* setting;  // "LANGUAGE=..." line, or "" for none
        const char* locale;
        int language;
        const char* openCaption;
    };
    const Row rows[] = {
        {"LANGUAGE=0", "zh_CN.UTF-8", 2, "打开"},  {"LANGUAGE=0", "en_GB.UTF-8", 1, "Open"},
        {"LANGUAGE=1", "zh_CN.UTF-8", 1, "Open"},  {"LANGUAGE=2", "en_GB.UTF-8", 2, "打开"},
        {"LANGUAGE=3", "zh_TW.UTF-8", 2, "打开"},  {"LANGUAGE=3", "C", 1, "Open"},
        {"LANGUAGE=-1", "zh_CN.UTF-8", -1, "Open"}, {"", "zh_CN.UTF-8", 2, "打开"},
        {"", "de_DE.UTF-8", 1, "Open"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.setting) + " with LANG=" + row.locale);
        SetLocale(row.locale);
        WriteIni(std::string("[CONFIG]\r\n") + row.setting + "\r\n");
        StartDialog();
        EXPECT_EQ(g_language, row.language);
        EXPECT_EQ(m_dialog->GetDlgItemText(IDC_BUTTON_OPENCOM), row.openCaption);
        EXPECT_EQ(m_dialog->Menu()->IsItemChecked(ID_LANGUAGE_CHINESE), row.language == 2);
        EXPECT_EQ(m_dialog->Menu()->IsItemChecked(ID_LANGUAGE_ENGLISH), row.language != 2);
        EXPECT_EQ(m_dialog->windowTitle().toStdString(), "Quorrel V2.2.0");
        m_dialog.reset();
    }
    // LC_ALL wins over LANG.
    SetLocale("en_US.UTF-8");
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    WriteIni("");
    StartDialog();
    EXPECT_EQ(g_language, 2);
    unsetenv("LC_ALL");
}

TEST_F(LanguageTest, ChoosingALanguageWritesTheFileAndChangesNothingElse) {
    SetLocale("en_GB.UTF-8");
    WriteIni("[CONFIG]\r\nLANGUAGE=1\r\n");
    StartDialog();
    Menu(ID_LANGUAGE_CHINESE);
    EXPECT_EQ(m_boxes, std::vector<std::string>{"Take effect after reboot application"});
    EXPECT_NE(IniText().find("LANGUAGE=2"), std::string::npos) << IniText();
    EXPECT_TRUE(m_dialog->Menu()->IsItemChecked(ID_LANGUAGE_CHINESE));
    EXPECT_FALSE(m_dialog->Menu()->IsItemChecked(ID_LANGUAGE_ENGLISH));
    EXPECT_EQ(g_language, 1);
    EXPECT_EQ(m_dialog->GetDlgItemText(IDC_BUTTON_LOADPARAMS), "Load Params");
    EXPECT_EQ(m_dialog->Menu()->Item(ID_OPERATION_LOADPARAMS)->text().toStdString(),
              "Load Params");

    Menu(ID_LANGUAGE_ENGLISH);
    EXPECT_NE(IniText().find("LANGUAGE=1"), std::string::npos) << IniText();
    EXPECT_TRUE(m_dialog->Menu()->IsItemChecked(ID_LANGUAGE_ENGLISH));
}

TEST_F(LanguageTest, LogOptionsAreReadAtStartAndWrittenOnEveryClick) {
    SetLocale("en_GB.UTF-8");
    WriteIni("[CONFIG]\r\nDisPlayPacket=0\r\nHexShow=1\r\n");
    StartDialog();
    auto* display = m_dialog->DlgItem<QCheckBox>(IDC_CHECK_DISPLAYPACKET);
    auto* hex = m_dialog->DlgItem<QCheckBox>(IDC_CHECK_HEXSHOW);
    EXPECT_FALSE(display->isChecked());
    EXPECT_TRUE(hex->isChecked());
    EXPECT_TRUE(hex->isEnabled());  // untouched until the first click on Display

    display->click();
    EXPECT_TRUE(hex->isEnabled());
    EXPECT_NE(IniText().find("DisPlayPacket=1"), std::string::npos) << IniText();
    display->click();
    EXPECT_FALSE(hex->isEnabled());
    EXPECT_NE(IniText().find("DisPlayPacket=0"), std::string::npos) << IniText();
    display->click();
    hex->click();
    EXPECT_NE(IniText().find("HexShow=0"), std::string::npos) << IniText();
}
