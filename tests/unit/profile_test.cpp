#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue/app_directory.h"

namespace fs = std::filesystem;

static std::string What(const char* file) { return ::testing::PrintToString(file ? file : "none"); }

static std::string Read(std::istream&& in) { return (std::ostringstream() << in.rdbuf()).str(); }

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(::mkdtemp(dir_.data()), nullptr);
        file_ = dir_ + "/ParamCfg.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Put(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }
    std::string Get() const { return Read(std::ifstream(file_, std::ios::binary)); }
    std::string dir_ = "/tmp/profile_test_XXXXXX", file_;
};

TEST_F(ProfileTest, MessyFilesAreReadAsWindowsDoes) {
    // clang-format off
    const std::pair<const char*, bool> files[] = {  // content, whether K of [S] reads as 150
        {nullptr, false}, {"[S]\r\nK=150\r\n", true}, {"[S]\nK=150\n", true},
        {"\xEF\xBB\xBF[S]\r\nK=150", true}, {"[S]\r\r\nK=150\r\r\n", true}, {"[S]\nK=150\r\r", true}, {"\n\n; c\n  [ s ]  \n\n  k   =   150  \n", true},
        {"[S]\n;K=1\nK=150\n", true}, {"[S]\nK=\"150\"\n", true},
        // The first of repeated keys counts, wherever its section stands.
        {"[S]\nK=150\nK=9\n", true}, {"[S]\nK=150\n[S]\nK=9\n", true},
        {"[S]\nX=1\n[S]\nK=150\n", true}, {"[T]\nK=9\n[S]\nK=150\n", true},
        {"[S]\nKX=1\n", false}, {"[S\nK=1\n", false}, {"K=1\n", false}, {"[T]\nK=1\n", false}};
    // The leading decimal, saturated; an empty value gives the default.
    const std::pair<const char*, int> numbers[] = {{"-5", -5}, {"+7", 7}, {"12abc", 12},
        {"abc", 0}, {"0x10", 0}, {"1 000", 1}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"", 42}};
    // clang-format on
    for (const auto& [content, found] : files) {
        fs::remove(file_);
        if (content) Put(content);
        EXPECT_EQ(ReadProfileString("S", "K", "-", file_), found ? "150" : "-") << What(content);
        EXPECT_EQ(ReadProfileInt("S", "K", 42, file_), found ? 150 : 42) << What(content);
    }
    for (const auto& [value, number] : numbers) {
        Put("[S]\r\nK=" + std::string(value) + "\r\n");
        EXPECT_EQ(ReadProfileString("S", "K", "-", file_), value);
        EXPECT_EQ(ReadProfileInt("S", "K", 42, file_), number) << value;
    }
}

TEST_F(ProfileTest, BadFilesGiveDefaultsWithoutHanging) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131) & 0xFF));
    Put(binary);
    EXPECT_EQ(ReadProfileInt("S", "K", 5, file_), 5);
    Put("[S]\n" + std::string(100 * 1024, 'x') + "\nK=3\n");
    EXPECT_EQ(ReadProfileInt("S", "K", 5, file_), 3);
    // Over the size bound: refused whole, and a write leaves it untouched.
    Put("[S]\nK=3\n" + std::string(kMaxProfileFileBytes, ';'));
    EXPECT_EQ(ReadProfileInt("S", "K", 5, file_), 5);
    EXPECT_FALSE(WriteProfileString("S", "K", "1", file_));
    EXPECT_EQ(fs::file_size(file_), kMaxProfileFileBytes + 8);
    // A FIFO must not block the reader; neither it nor a directory is a file.
    for (bool fifo : {true, false}) {
        fs::remove(file_);
        ASSERT_TRUE(fifo ? ::mkfifo(file_.c_str(), 0600) == 0 : fs::create_directory(file_));
        EXPECT_EQ(ReadProfileInt("S", "K", 5, file_), 5);
        EXPECT_FALSE(WriteProfileString("S", "K", "1", file_));
    }
}

TEST_F(ProfileTest, WritesKeepEveryOtherLine) {
    // clang-format off
    const struct { const char* before; const char* section; const char* key; const char* value;
                   const char* after; } rows[] = {
        // No file yet: file and section created with Windows line ends.
        {nullptr, "CONFIG", "SendTimer", "500", "[CONFIG]\r\nSendTimer=500\r\n"},
        // Replaced in place; spacing before "=", comments, case and LF kept.
        {"; top\n[config]\n  sendtimer = 1000  \n; c\nHexShow=1\n", "CONFIG", "SendTimer", "250",
         "; top\n[config]\n  sendtimer = 250\n; c\nHexShow=1\n"},
        {"[A]\r\nK=1\r\nK=2\r\n", "a", "k", "3", "[A]\r\nK=3\r\nK=2\r\n"},  // the first of two
        // A new key goes after the section's last key, before blank lines and the next section.
        {"[A]\r\nX=1\r\n\r\n[B]\r\nY=2\r\n", "A", "K", "v",
         "[A]\r\nX=1\r\nK=v\r\n\r\n[B]\r\nY=2\r\n"},
        // A missing section is appended; a last line without line end gets one.
        {"\xEF\xBB\xBF[A]\nX=1", "B", "K", "v", "\xEF\xBB\xBF[A]\nX=1\n[B]\nK=v\n"},
        // The key that is read in a repeated section is the one written.
        {"[A]\nX=1\n[A]\nK=1\n", "A", "K", "2", "[A]\nX=1\n[A]\nK=2\n"},
        {"[A]\nK=1\n", "A", "K", "", "[A]\nK=\n"},
        // A last line that ends in a CR lost the LF of its line end: it gets it back.
        {"[A]\nX=1\r", "A", "K", "v", "[A]\nX=1\r\nK=v\n"},
        {"[A]\r\nX=1\r", "B", "K", "v", "[A]\r\nX=1\r\n[B]\r\nK=v\r\n"},
        // A CR LF file converted once more keeps its CR CR LF.
        {"[A]\r\r\nK=500\r\r\n", "A", "K", "250", "[A]\r\r\nK=250\r\r\n"},
        {"[A]\r\r\nX=1\r\r\n", "A", "K", "v", "[A]\r\r\nX=1\r\r\nK=v\r\r\n"}};
    // clang-format on
    for (const auto& row : rows) {
        fs::remove(file_);
        if (row.before) Put(row.before);
        ASSERT_TRUE(WriteProfileString(row.section, row.key, row.value, file_)) << What(row.before);
        EXPECT_EQ(Get(), row.after) << "before " << What(row.before);
        EXPECT_EQ(ReadProfileString(row.section, row.key, "?", file_), row.value);
    }
}

// Whatever the file's line ends and bytes, a write changes the value of the key written and no
// other: every other key reads back as before.
TEST_F(ProfileTest, AWriteLeavesEveryOtherValueAsItWas) {
    using Keys = std::vector<std::pair<const char*, const char*>>;
    // clang-format off
    const std::pair<std::string, Keys> files[] = {  // content, its keys (section, key)
        {"[A]\nX=1\r", {{"A", "X"}}},
        {"[A]\r\nX=1\r", {{"A", "X"}}},
        {"[A]\nX=1\r\r\nY=2\r", {{"A", "X"}, {"A", "Y"}}},
        {"[A]\nX=1\rY=2\n", {{"A", "X"}, {"A", "Y"}}},
        {"[A]\r\nX=1\r\n\r\n\n[B]\nY=2", {{"A", "X"}, {"B", "Y"}}},
        {"\xEF\xBB\xBF[A]\nX= a b \t\n\n\n", {{"A", "X"}}},
        {std::string("[A]\nX=\xFF\x01\x1A\0z\n[B]\nY=\"q\"\r", 22), {{"A", "X"}, {"B", "Y"}}},
        {"[A]\nX=1\n[A]\nX=2\nY=3", {{"A", "X"}, {"A", "Y"}}},
        {"[A]\r", {{"A", "X"}}},
        {"\r", {{"A", "X"}}}};
    const Keys writes = {{"A", "X"}, {"A", "W"}, {"B", "W"}, {"C", "W"}};
    // clang-format on
    for (const auto& [content, keys] : files) {
        for (const auto& [section, key] : writes) {
            Put(content);
            std::vector<std::string> before, after;
            for (const auto& [s, k] : keys) before.push_back(ReadProfileString(s, k, "-", file_));
            ASSERT_TRUE(WriteProfileString(section, key, "new", file_));
            for (const auto& [s, k] : keys) {
                const bool written = std::string(s) == section && std::string(k) == key;
                after.push_back(written ? before[after.size()] : ReadProfileString(s, k, "-", file_));
            }
            EXPECT_EQ(after, before) << What(content.c_str()) << " writing " << section << "/" << key;
            EXPECT_EQ(ReadProfileString(section, key, "-", file_), "new") << What(content.c_str());
        }
    }
}

TEST_F(ProfileTest, WritesReplaceByRenameOrAreRefused) {
    Put("[A]\nK=1\n");
    const std::string past(kMaxProfileFileBytes, 'v');  // the file would grow past what is read
    // clang-format off
    const struct { const char *section, *key; const std::string value; FileWriteStep step; } refused[] = {
        // Names or values that would break the file's structure.
        {"A", "K", "1\r\n[B]", FileWriteStep::kBadEntry}, {"A]", "K", "1", FileWriteStep::kBadEntry},
        {"A", "K=", "1", FileWriteStep::kBadEntry}, {"", "K", "1", FileWriteStep::kBadEntry},
        {"A", " ", "1", FileWriteStep::kBadEntry}, {"A", "K", past, FileWriteStep::kTooLarge},
        {"A", "K", past.substr(6), FileWriteStep::kTooLarge}};
    // clang-format on
    for (const auto& row : refused) {
        FileWriteFailure failure;
        EXPECT_FALSE(WriteProfileString(row.section, row.key, row.value, file_, &failure));
        EXPECT_EQ(failure.step, row.step) << row.section << "/" << row.key << " " << row.value.size();
    }
    EXPECT_FALSE(WriteProfileString("A", "K", "1", dir_ + "/missing/ParamCfg.ini"));
    // A file whose read fails says why: reading this one at byte 0 is an I/O error.
    FileWriteFailure unread;
    EXPECT_FALSE(WriteProfileString("A", "K", "1", "/proc/self/mem", &unread));
    EXPECT_EQ(unread.error, EIO);
    EXPECT_TRUE(Get() == "[A]\nK=1\n") << fs::file_size(file_) << " bytes";
    // The largest file the reader takes is written, and read back.
    const std::string fits = past.substr(7);
    ASSERT_TRUE(WriteProfileString("A", "K", fits, file_));
    EXPECT_EQ(fs::file_size(file_), kMaxProfileFileBytes);
    EXPECT_TRUE(ReadProfileString("A", "K", "-", file_) == fits);
    Put("[A]\nK=1\n");
    // A reader sees the old file or the new one, never a torn one.
    fs::permissions(file_, static_cast<fs::perms>(0640));
    std::ifstream reader(file_, std::ios::binary);  // opened before the write
    ASSERT_TRUE(WriteProfileString("A", "K", "2", file_));
    EXPECT_EQ(Read(std::move(reader)), "[A]\nK=1\n") << "the file was rewritten in place";
    EXPECT_EQ(fs::status(file_).permissions(), static_cast<fs::perms>(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1)
        << "a temporary file was left behind";
}

TEST(GetAppDirectory, IsTheFolderOfThisProgramUnlessOverridden) {
    // In the root folder the settings file becomes "/ParamCfg.ini".
    for (const auto& [path, folder] : {std::pair{"/a/q", "/a"}, {"/q", ""}, {"q", "q"}, {"", ""}})
        EXPECT_EQ(FolderOfPath(path), folder) << path;
    const std::string real = GetAppDirectory();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(::access((real + "/unit_profile_test").c_str(), X_OK), 0) << real;
    SetAppDirectoryForTesting("/tmp/quorrel-settings");
    EXPECT_EQ(GetAppDirectory(), "/tmp/quorrel-settings");
    SetAppDirectoryForTesting("");
    EXPECT_EQ(GetAppDirectory(), real);
}
