// What the user keeps, and is told, when an export or a setting cannot be saved.
#include <sys/stat.h>

#include "catalogue/lang_text.h"
#include "resources/cmd_dialog_ids.h"
#include "tests/support/small_disk.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/cmd_config_dialog.h"

namespace {

struct FileIdentity {
    std::string bytes;
    ino_t inode = 0;
    mode_t mode = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity Identify(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    std::ifstream in(path, std::ios::binary);
    return {{std::istreambuf_iterator<char>(in), {}}, info.st_ino, info.st_mode & 07777};
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

class FailedSaveTest : public MainDialogTest {};

// The export that was there stays whole, and the box says why in the interface language.
TEST_F(FailedSaveTest, AnExportThatFailsKeepsThePreviousFileAndSaysWhy) {
    Start();
    Load();
    const std::string disk = m_folder + "/disk";
    std::filesystem::create_directory(disk);
    SmallDisk small(disk, 16 * 1024);
    ASSERT_TRUE(small.ready());
    m_chosenPath = disk + "/ConfigFile.ini";
    Click(IDC_BUTTON_EXPORT);
    ASSERT_EQ(m_boxes, Texts{"Export configuration success"});
    const FileIdentity good = Identify(m_chosenPath);
    // A long value makes the next export larger than the room left.
    FrameInterval()->setText(QString(32 * 1024, '9'));
    const std::string reason = small.expectedError() == ENOSPC
                                   ? "The disk is full."
                                   : "The file is larger than this system allows.";
    m_boxes.clear();
    Click(IDC_BUTTON_EXPORT);
    EXPECT_EQ(m_boxes, Texts{"Failed to save file\n" + reason});
    EXPECT_EQ(Identify(m_chosenPath), good);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk), {}), 1)
        << "a temporary file was left behind";
    ::chmod(m_chosenPath.c_str(), 0444);
    const std::pair<int, std::string> readOnly[] = {
        {1, "Failed to open file\nThe file is read-only."}, {2, "打开文件错误\n文件是只读的。"}};
    const int savedLanguage = g_language;
    for (const auto& [language, box] : readOnly) {
        g_language = language;
        m_boxes.clear();
        Click(IDC_BUTTON_EXPORT);
        EXPECT_EQ(m_boxes, Texts{box});
        EXPECT_EQ(Identify(m_chosenPath).bytes, good.bytes);
        EXPECT_EQ(Identify(m_chosenPath).inode, good.inode);
    }
    g_language = savedLanguage;
}

// A settings file an administrator locked is never rewritten, and every save that did not
// happen is logged once; the language choice still tells the user what it would do.
TEST_F(FailedSaveTest, AReadOnlySettingsFileIsLeftAloneAndEachFailedSaveIsLogged) {
    const std::string ini = m_folder + "/ParamCfg.ini";
    WriteIni("[CONFIG]\r\nDisPlayPacket=1\r\n");
    ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
    const FileIdentity before = Identify(ini);
    Start({}, false);
    const auto clickBox = [this](int id) {
        auto* box = m_dialog->DlgItem<QCheckBox>(id);
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        Settle();
    };
    // Hex on, then off: the first line is shown in hex.
    clickBox(IDC_CHECK_HEXSHOW);
    clickBox(IDC_CHECK_HEXSHOW);
    Click(ID_LANGUAGE_CHINESE, true);
    // The line of the first click arrives while the display is off, and is dropped unseen.
    clickBox(IDC_CHECK_DISPLAYPACKET);
    clickBox(IDC_CHECK_DISPLAYPACKET);
    // Four keys at closing, one line.
    Modal<CCmdConfigDialog>([](CCmdConfigDialog&) {});
    Settle();
    EXPECT_EQ(Count(m_transcript, "settings not saved to " + ini + ": The file is read-only."), 4u)
        << m_transcript;
    EXPECT_EQ(Count(m_transcript, "error:"), 5u) << m_transcript;
    EXPECT_EQ(m_boxes, Texts{"Take effect after reboot application"});
    EXPECT_EQ(Identify(ini), before);
}
