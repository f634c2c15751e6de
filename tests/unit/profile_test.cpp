#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/profile_test_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        file_ = dir_ + "/ParamCfg.ini";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void Put(const std::string& content) const
    {
        std::ofstream(file_, std::ios::binary) << content;
    }
    std::string Get() const
    {
        std::ifstream in(file_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string dir_;
    std::string file_;
};

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesDefault)
{
    EXPECT_EQ(ReadProfileInt("CONFIG", "HexShow", 7, file_), 7);
    EXPECT_EQ(ReadProfileString("CONFIG", "SendTimer", "1000", file_), "1000");
    Put("[CONFIG]\r\nHexShow=0\r\n");
    EXPECT_EQ(ReadProfileInt("OTHER", "HexShow", 7, file_), 7);
    EXPECT_EQ(ReadProfileInt("CONFIG", "CmdHex", 7, file_), 7);
    EXPECT_EQ(ReadProfileInt("CONFIG", "HexShow", 7, file_), 0);
}

TEST_F(ProfileTest, MessyFilesAreRead)
{
    struct Row {
        const char* content;
        const char* expected;  // value of [COM_TIMEOUT_PARAM] ReadIntervalTimeout
    };
    const Row rows[] = {
        {"[COM_TIMEOUT_PARAM]\r\nReadIntervalTimeout=150\r\n", "150"},
        {"[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=150\n", "150"},
        {"\xEF\xBB\xBF[COM_TIMEOUT_PARAM]\r\nReadIntervalTimeout=150", "150"},
        {"\n\n; comment\n  [ com_timeout_param ]  \n\n  readintervaltimeout   =   150  \n", "150"},
        {"[COM_TIMEOUT_PARAM]\n;ReadIntervalTimeout=1\nReadIntervalTimeout=150\n", "150"},
        {"[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=150\nReadIntervalTimeout=9\n", "150"},
        {"[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=150\n[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=9\n",
         "150"},
        {"[COM_TIMEOUT_PARAM]\nOther=1\n[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=150\n", "150"},
        {"[CONFIG]\nReadIntervalTimeout=9\n[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=150\n", "150"},
        {"[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=\"150\"\n", "150"},
        {"[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=\n", ""},
        {"[COM_TIMEOUT_PARAM]\nReadIntervalTimeoutX=1\n", "default"},
        {"[COM_TIMEOUT_PARAM\nReadIntervalTimeout=1\n", "default"},
        {"ReadIntervalTimeout=1\n", "default"},
    };
    for (const Row& row : rows) {
        Put(row.content);
        EXPECT_EQ(ReadProfileString("COM_TIMEOUT_PARAM", "ReadIntervalTimeout", "default", file_),
                  row.expected)
            << "file: " << ::testing::PrintToString(std::string(row.content));
    }
}

TEST_F(ProfileTest, IntegersAreTheLeadingNumber)
{
    struct Row {
        const char* value;
        int expected;
    };
    const Row rows[] = {
        {"300", 300},          {"-5", -5},        {"+7", 7},
        {"12abc", 12},         {"abc", 0},        {"", 42},  // empty value: the default
        {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}, {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN}, {"0x10", 0},   {"1 000", 1},
    };
    for (const Row& row : rows) {
        Put(std::string("[S]\r\nK=") + row.value + "\r\n");
        EXPECT_EQ(ReadProfileInt("S", "K", 42, file_), row.expected) << "value: " << row.value;
    }
}

TEST_F(ProfileTest, BadFilesGiveDefaultsWithoutHanging)
{
    // Binary noise with NUL bytes, and a huge line before the wanted key.
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary.push_back(static_cast<char>((i * 131) & 0xFF));
    }
    Put(binary);
    EXPECT_EQ(ReadProfileInt("CONFIG", "HexShow", 5, file_), 5);

    Put("[CONFIG]\n" + std::string(100 * 1024, 'x') + "\nHexShow=3\n");
    EXPECT_EQ(ReadProfileInt("CONFIG", "HexShow", 5, file_), 3);

    // Over the size bound: refused whole, and a write leaves it untouched.
    {
        std::ofstream out(file_, std::ios::binary);
        out << "[CONFIG]\nHexShow=3\n";
        const std::string block(1 << 20, ';');
        for (std::size_t written = 0; written <= kMaxProfileFileBytes; written += block.size()) {
            out << block;
        }
    }
    const auto bigSize = std::filesystem::file_size(file_);
    EXPECT_EQ(ReadProfileInt("CONFIG", "HexShow", 5, file_), 5);
    EXPECT_FALSE(WriteProfileString("CONFIG", "HexShow", "1", file_));
    EXPECT_EQ(std::filesystem::file_size(file_), bigSize);

    // A FIFO in the file's place must not block the reader.
    std::filesystem::remove(file_);
    ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
    EXPECT_EQ(ReadProfileInt("CONFIG", "HexShow", 5, file_), 5);
    EXPECT_FALSE(WriteProfileString("CONFIG", "HexShow", "1", file_));

    // A directory in the file's place.
    std::filesystem::remove(file_);
    std::filesystem::create_directory(file_);
    EXPECT_EQ(ReadProfileInt("CONFIG", "HexShow", 5, file_), 5);
    EXPECT_FALSE(WriteProfileString("CONFIG", "HexShow", "1", file_));
}

TEST_F(ProfileTest, WritesKeepEveryOtherLine)
{
    struct Row {
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Row rows[] = {
        // No file yet: file and section created, Windows line ends.
        {nullptr, "CONFIG", "SendTimer", "500", "[CONFIG]\r\nSendTimer=500\r\n"},
        // Replace in place, spacing, comments, case and LF kept.
        {"; top\n[config]\n  sendtimer = 1000  \n; c\nHexShow=1\n", "CONFIG", "SendTimer", "250",
         "; top\n[config]\n  sendtimer = 250\n; c\nHexShow=1\n"},
        // Only the first of repeated keys changes.
        {"[A]\r\nK=1\r\nK=2\r\n", "a", "k", "3", "[A]\r\nK=3\r\nK=2\r\n"},
        // New key goes after the section's last key, before blank lines and the next section.
        {"[A]\r\nX=1\r\n\r\n[B]\r\nY=2\r\n", "A", "K", "v", "[A]\r\nX=1\r\nK=v\r\n\r\n[B]\r\nY=2\r\n"},
        // Missing section appended; a last line without line end gets one.
        {"\xEF\xBB\xBF[A]\nX=1", "B", "K", "v", "\xEF\xBB\xBF[A]\nX=1\n[B]\nK=v\n"},
        // Key found in a repeated section is the one that is read, so it is the one written.
        {"[A]\nX=1\n[A]\nK=1\n", "A", "K", "2", "[A]\nX=1\n[A]\nK=2\n"},
        // Empty value.
        {"[A]\nK=1\n", "A", "K", "", "[A]\nK=\n"},
    };
    for (const Row& row : rows) {
        std::filesystem::remove(file_);
        if (row.before != nullptr) {
            Put(row.before);
        }
        ASSERT_TRUE(WriteProfileString(row.section, row.key, row.value, file_))
            << "before: " << ::testing::PrintToString(std::string(row.before ? row.before : ""));
        EXPECT_EQ(Get(), row.after)
            << "before: " << ::testing::PrintToString(std::string(row.before ? row.before : ""));
        EXPECT_EQ(ReadProfileString(row.section, row.key, "?", file_), row.value);
    }
}

TEST_F(ProfileTest, WritesThatWouldBreakTheFileAreRefused)
{
    Put("[A]\nK=1\n");
    EXPECT_FALSE(WriteProfileString("A", "K", "1\r\n[B]", file_));
    EXPECT_FALSE(WriteProfileString("A]", "K", "1", file_));
    EXPECT_FALSE(WriteProfileString("A", "K=", "1", file_));
    EXPECT_FALSE(WriteProfileString("", "K", "1", file_));
    EXPECT_FALSE(WriteProfileString("A", " ", "1", file_));
    EXPECT_EQ(Get(), "[A]\nK=1\n");
    EXPECT_FALSE(WriteProfileString("A", "K", "1", dir_ + "/missing/ParamCfg.ini"));
}

TEST_F(ProfileTest, WriteReplacesByRenameAndKeepsPermissions)
{
    Put("[A]\nK=1\n");
    ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(::stat(file_.c_str(), &before), 0);
    ASSERT_TRUE(WriteProfileString("A", "K", "2", file_));
    struct stat after {};
    ASSERT_EQ(::stat(file_.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino) << "the file was rewritten in place";
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    // No temporary file left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_)) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

}  // namespace
