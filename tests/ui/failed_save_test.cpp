// What the user keeps, and is told, when an export or a setting cannot be saved.
#include <sys/stat.h>

#include "catalogue/lang_text.h"
#include "resources/cmd_dialog_ids.h"
#include "tests/support/small_disk.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/cmd_config_dialog.h"
#include "ui/file_write_reason.h"

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
    const bool full = small.expectedError() == ENOSPC;
    const std::pair<int, std::string> boxes[] = {
        {1, "Failed to save file\n" + std::string(full ? "The disk is full."
                                                        : "The file is larger than this system allows.")},
        {2, "保存文件失败\n" + std::string(full ? "磁盘已满。" : "文件超出了系统允许的大小。")},
        {1, "Failed to open file\nThe file is read-only."},
        {2, "打开文件错误\n文件是只读的。"}};
    const int savedLanguage = g_language;
    for (const auto& [language, box] : boxes) {
        if (box.find("read-only") != std::string::npos) ::chmod(m_chosenPath.c_str(), 0444);
        g_language = language;
        m_boxes.clear();
        Click(IDC_BUTTON_EXPORT);
        EXPECT_EQ(m_boxes, Texts{box});
        EXPECT_EQ(Identify(m_chosenPath).bytes, good.bytes);
        EXPECT_EQ(Identify(m_chosenPath).inode, good.inode);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk), {}), 1)
            << "a temporary file was left behind";
    }
    g_language = savedLanguage;
}

// A settings file an administrator locked is never rewritten, and every save that did not
// happen is logged once, in the interface language; the language box says that the choice
// was not kept, and the menu goes back to the language the next start will find.
TEST_F(FailedSaveTest, AReadOnlySettingsFileIsLeftAloneAndEachFailedSaveIsLogged) {
    const struct {
        int language;
        int otherItem;
        std::string line;
    } rows[] = {{1, ID_LANGUAGE_CHINESE, "settings not saved to %: The file is read-only."},
                {2, ID_LANGUAGE_ENGLISH, "设置未能保存到 %: 文件是只读的。"}};
    for (const auto& row : rows) {
        const std::string ini = m_folder + "/ParamCfg.ini";
        const std::string line = std::string(row.line).replace(row.line.find('%'), 1, ini);
        WriteIni("[CONFIG]\r\nDisPlayPacket=1\r\nLANGUAGE=" + std::to_string(row.language));
        ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
        const FileIdentity before = Identify(ini);
        Start({}, false);
        const auto clickBox = [this](int id) {
            auto* box = m_dialog->DlgItem<QCheckBox>(id);
            // On the indicator: a short Chinese caption leaves the box's middle empty.
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
            Settle();
        };
        // Hex on, then off: the first line is shown in hex.
        clickBox(IDC_CHECK_HEXSHOW);
        clickBox(IDC_CHECK_HEXSHOW);
        Click(row.otherItem, true);
        // The line of the first click arrives while the display is off, and is dropped unseen.
        clickBox(IDC_CHECK_DISPLAYPACKET);
        clickBox(IDC_CHECK_DISPLAYPACKET);
        // Four keys at closing, one line.
        Modal<CCmdConfigDialog>([](CCmdConfigDialog&) {});
        Settle();
        EXPECT_EQ(Count(m_transcript, line), 4u) << m_transcript;
        EXPECT_EQ(Count(m_transcript, "error:"), 5u) << m_transcript;
        EXPECT_EQ(m_boxes, Texts{line});
        EXPECT_FALSE(m_dialog->Menu()->Item(row.otherItem)->isChecked());
        EXPECT_EQ(Identify(ini), before);
        Restart();
    }
}

// A settings write the tool refuses says why in words of its own, not as a file-system error.
TEST(FileWriteReason, RefusalsSayWhyInTheInterfaceLanguage) {
    const struct {
        FileWriteStep step;
        int error, language;
        const char* text;
    } rows[] = {
        {FileWriteStep::kTooLarge, EFBIG, 1, "The file would be larger than the 4 MiB this tool reads."},
        {FileWriteStep::kTooLarge, EFBIG, 2, "文件将超过本工具能读取的 4 MiB。"},
        {FileWriteStep::kBadEntry, EINVAL, 1, "The setting holds a line break, which the file cannot keep."},
        {FileWriteStep::kBadEntry, EINVAL, 2, "设置中含有换行符，文件无法保存。"},
        {FileWriteStep::kUnsafeLink, EACCES, 1, "The name is a link that another user put in a shared folder."},
        {FileWriteStep::kUnsafeLink, EACCES, 2, "该名称是其他用户放在共享文件夹中的链接。"},
        {FileWriteStep::kLocked, EWOULDBLOCK, 1, "Another program keeps the file locked."},
        {FileWriteStep::kLocked, EWOULDBLOCK, 2, "文件被另一个程序锁定。"},
        {FileWriteStep::kOpen, EIO, 1, "The disk reported an input/output error."},
    };
    const int savedLanguage = g_language;
    for (const auto& row : rows) {
        g_language = row.language;
        EXPECT_EQ(DescribeFileWriteFailure({row.step, row.error}), row.text);
    }
    g_language = savedLanguage;
}
