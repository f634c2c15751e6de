// What the two writers of whole files (the settings file and an export) keep
// when the disk is full, the file is read-only or reached through a link.
#include "platform/replace_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/profile.h"
#include "tests/support/small_disk.h"

namespace fs = std::filesystem;

namespace {

struct Writer {
    const char* name;
    std::function<FileWriteFailure(const std::string& path, const std::string& text)> write;
};

const Writer kWriters[] = {
    {"export",
     [](const std::string& path, const std::string& text) { return ReplaceFileWhole(path, text); }},
    {"settings",
     [](const std::string& path, const std::string& text) {
         FileWriteFailure failure;
         const bool written = WriteProfileString("CONFIG", "Data", text, path, &failure);
         EXPECT_EQ(written, failure.step == FileWriteStep::kNone);
         return failure;
     }},
};

const std::string kBefore = "[CONFIG]\r\nLANGUAGE=2\r\n; " + std::string(3000, 'k') + "\r\n";

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return (std::ostringstream() << in.rdbuf()).str();
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ReplaceFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(::mkdtemp(m_dir.data()), nullptr);
        m_file = m_dir + "/ParamCfg.ini";
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string m_dir = "/tmp/replace_file_test_XXXXXX", m_file;
};

}  // namespace

// The previous file stays byte for byte, a new one is not left half written, and no
// temporary file is left behind.
TEST_F(ReplaceFileTest, AFullDiskKeepsThePreviousFileWholeAndLeavesNoStrayFile) {
    SmallDisk disk(m_dir, 64 * 1024);
    ASSERT_TRUE(disk.ready());
    const std::string tooMuch(200 * 1024, 'x');
    for (const Writer& writer : kWriters) {
        for (const bool existed : {true, false}) {
            fs::remove(m_file);
            if (existed) Put(m_file, kBefore);
            const FileWriteFailure failure = writer.write(m_file, tooMuch);
            EXPECT_EQ(failure.step, FileWriteStep::kWrite) << writer.name << " existed " << existed;
            EXPECT_EQ(failure.error, disk.expectedError()) << writer.name;
            if (existed) {
                EXPECT_EQ(Read(m_file), kBefore) << writer.name;
                EXPECT_EQ(Names(m_dir), std::vector<std::string>{"ParamCfg.ini"}) << writer.name;
            } else {
                EXPECT_EQ(Names(m_dir), std::vector<std::string>{}) << writer.name;
            }
        }
    }
}

// A rename ignores the file's own mode: a file without a write bit must be left alone
// by the writer itself, also for root.
TEST_F(ReplaceFileTest, AReadOnlyFileIsLeftAloneAlsoForRoot) {
    for (const Writer& writer : kWriters) {
        for (const fs::perms mode : {fs::perms(0444), fs::perms(0400), fs::perms(0555)}) {
            fs::remove(m_file);
            Put(m_file, kBefore);
            fs::permissions(m_file, mode);
            struct stat before {};
            ASSERT_EQ(::stat(m_file.c_str(), &before), 0);
            const FileWriteFailure failure = writer.write(m_file, "new");
            EXPECT_EQ(failure.step, FileWriteStep::kReadOnly) << writer.name;
            struct stat after {};
            ASSERT_EQ(::stat(m_file.c_str(), &after), 0);
            EXPECT_EQ(after.st_ino, before.st_ino) << writer.name << " replaced the file";
            EXPECT_EQ(Read(m_file), kBefore) << writer.name;
            EXPECT_EQ(fs::status(m_file).permissions(), mode) << writer.name;
        }
    }
}

// A file another user owns, in a folder everybody may write: the rename would succeed,
// so the writer must ask whether this user may write the file itself.
TEST_F(ReplaceFileTest, AFileThisUserMayNotWriteIsLeftAlone) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to act as another user";
    fs::permissions(m_dir, fs::perms(0777));
    for (const Writer& writer : kWriters) {
        Put(m_file, kBefore);
        fs::permissions(m_file, fs::perms(0644));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const uid_t nobody = 65534;
            if (::setresgid(nobody, nobody, nobody) != 0 ||
                ::setresuid(nobody, nobody, nobody) != 0)
                ::_exit(2);
            ::_exit(writer.write(m_file, "new").step == FileWriteStep::kReadOnly ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << writer.name;
        EXPECT_EQ(Read(m_file), kBefore) << writer.name;
        EXPECT_EQ(Names(m_dir), std::vector<std::string>{"ParamCfg.ini"}) << writer.name;
    }
}

// The file a link points to is replaced; the link stays a link, to the same place.
TEST_F(ReplaceFileTest, ALinkIsWrittenThroughAndStaysALink) {
    fs::create_directory(m_dir + "/dotfiles");
    const std::string real = m_dir + "/dotfiles/ParamCfg.ini";
    // clang-format off
    const struct { const char* name; std::vector<std::pair<std::string, std::string>> links;
                   bool targetExists; } rows[] = {  // links: (link, what it holds), first is written
        {"relative", {{"ParamCfg.ini", "dotfiles/ParamCfg.ini"}}, true},
        {"absolute", {{"ParamCfg.ini", real}}, true},
        {"chain", {{"ParamCfg.ini", "hop"}, {"hop", "dotfiles/ParamCfg.ini"}}, true},
        {"relative to its own folder", {{"ParamCfg.ini", "dotfiles/hop"}, {"dotfiles/hop", "ParamCfg.ini"}}, true},
        {"dangling", {{"ParamCfg.ini", "dotfiles/ParamCfg.ini"}}, false},
    };
    // clang-format on
    for (const Writer& writer : kWriters) {
        for (const auto& row : rows) {
            fs::remove(m_file), fs::remove(m_dir + "/hop"), fs::remove(m_dir + "/dotfiles/hop");
            fs::remove(real);
            if (row.targetExists) Put(real, kBefore);
            for (const auto& [link, to] : row.links) fs::create_symlink(to, m_dir + "/" + link);
            const FileWriteFailure failure = writer.write(m_file, "v");
            EXPECT_EQ(failure.step, FileWriteStep::kNone) << writer.name << " " << row.name;
            for (const auto& [link, to] : row.links) {
                EXPECT_TRUE(fs::is_symlink(m_dir + "/" + link)) << writer.name << " " << row.name;
                EXPECT_EQ(fs::read_symlink(m_dir + "/" + link), to) << writer.name;
            }
            EXPECT_NE(Read(real).find('v'), std::string::npos) << writer.name << " " << row.name;
            if (row.targetExists && std::string(writer.name) == "settings")
                EXPECT_EQ(Read(real).substr(0, 22), kBefore.substr(0, 22)) << row.name;
        }
    }
    // A loop of links is refused, and nothing is created.
    fs::remove(m_file), fs::remove(real);
    fs::create_symlink("ParamCfg.ini", m_dir + "/hop");
    fs::create_symlink("hop", m_file);
    for (const Writer& writer : kWriters) {
        EXPECT_EQ(writer.write(m_file, "v").error, ELOOP) << writer.name;
        EXPECT_EQ(Names(m_dir), (std::vector<std::string>{"ParamCfg.ini", "dotfiles", "hop"}));
    }
}

// A replaced file keeps its mode; a new one gets what fopen would give it.
TEST_F(ReplaceFileTest, ModeKeptOrTakenFromTheUmask) {
    const mode_t saved = ::umask(027);
    for (const Writer& writer : kWriters) {
        fs::remove(m_file);
        ASSERT_EQ(writer.write(m_file, "v").step, FileWriteStep::kNone);
        EXPECT_EQ(fs::status(m_file).permissions(), fs::perms(0640)) << writer.name;
        fs::permissions(m_file, fs::perms(0604));
        ASSERT_EQ(writer.write(m_file, "w").step, FileWriteStep::kNone);
        EXPECT_EQ(fs::status(m_file).permissions(), fs::perms(0604)) << writer.name;
    }
    ::umask(saved);
}
