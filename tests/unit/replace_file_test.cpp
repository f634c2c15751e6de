// What the two writers of whole files (the settings file and an export) keep
// when the disk is full, the file is read-only or reached through a link.
#include "platform/replace_file.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/file_size_signal.h"
#include "platform/profile.h"
#include "tests/support/file_writers.h"
#include "tests/support/small_disk.h"

namespace fs = std::filesystem;

namespace {

const std::string kBefore = "[CONFIG]\r\nLANGUAGE=2\r\n; " + std::string(3000, 'k') + "\r\n";

struct stat Stat(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

// A POSIX access list as the kernel stores it: user::rw- user:<user>:rw- group::r--
// mask::rw- other::---.
std::string AccessList(uint32_t user) {
    std::string blob;
    const auto put = [&blob](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) blob += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(2, 4);  // version
    const uint32_t kAny = 0xFFFFFFFF;
    const uint32_t entries[][3] = {
        {0x01, 6, kAny}, {0x02, 6, user}, {0x04, 4, kAny}, {0x10, 6, kAny}, {0x20, 0, kAny}};
    for (const auto& [tag, perm, id] : entries) put(tag, 2), put(perm, 2), put(id, 4);
    return blob;
}

std::string Attribute(const std::string& path, const char* name) {
    char value[256];
    const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? "none" : std::string(value, static_cast<std::size_t>(n));
}

constexpr uid_t kOwner = 47001, kMember = 47002;
constexpr gid_t kLab = 47100;

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
// temporary file is left behind: by a rename, and where the file is written in place
// because it has a second link.
TEST_F(ReplaceFileTest, AFullDiskKeepsThePreviousFileWholeAndLeavesNoStrayFile) {
    SmallDisk disk(m_dir, 64 * 1024);
    ASSERT_TRUE(disk.ready());
    const std::string tooMuch(200 * 1024, 'x');
    const std::string linked = m_dir + "/linked.ini";
    const std::vector<std::string> after[] = {{}, {"ParamCfg.ini"}, {"ParamCfg.ini", "linked.ini"}};
    for (const Writer& writer : kWriters) {
        for (int files = 0; files < 3; ++files) {
            fs::remove(m_file), fs::remove(linked);
            if (files > 0) Put(m_file, kBefore);
            if (files > 1) fs::create_hard_link(m_file, linked);
            const FileWriteFailure failure = writer.write(m_file, tooMuch);
            EXPECT_EQ(failure.step, FileWriteStep::kWrite) << writer.name << " files " << files;
            EXPECT_EQ(failure.error, disk.expectedError()) << writer.name << " files " << files;
            if (files > 0) {
                EXPECT_EQ(Read(m_file), kBefore) << writer.name << " files " << files;
            }
            EXPECT_EQ(Names(m_dir), after[files]) << writer.name;
        }
    }
}

// Under a file-size limit the tool is not killed: the write fails, says why, and cleans
// up, by a rename and in place.
TEST_F(ReplaceFileTest, AFileSizeLimitFailsTheWriteInsteadOfKillingTheTool) {
    const std::string linked = m_dir + "/linked.ini";
    for (const Writer& writer : kWriters) {
        for (const bool inPlace : {false, true}) {
            fs::remove(m_file), fs::remove(linked);
            Put(m_file, kBefore);
            if (inPlace) fs::create_hard_link(m_file, linked);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                IgnoreFileSizeSignal();
                const rlimit limit{8192, RLIM_INFINITY};
                const FileWriteFailure failure = ::setrlimit(RLIMIT_FSIZE, &limit) == 0
                                                     ? writer.write(m_file, std::string(9000, 'x'))
                                                     : FileWriteFailure{};
                ::_exit(failure.step == FileWriteStep::kWrite && failure.error == EFBIG ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << writer.name << " in place " << inPlace << ": status " << status;
            EXPECT_EQ(Read(m_file), kBefore) << writer.name;
            EXPECT_EQ(Names(m_dir).size(), inPlace ? 2u : 1u) << writer.name;
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
        EXPECT_EQ(RunAs(kMember, kMember, {},
                        [&] { return writer.write(m_file, "new").step == FileWriteStep::kReadOnly; }),
                  0)
            << writer.name;
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
            if (row.targetExists && std::string(writer.name) == "settings") {
                EXPECT_EQ(Read(real).substr(0, 22), kBefore.substr(0, 22)) << row.name;
            }
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

// A link another user put in a sticky folder everybody may write is not followed, also by
// root, whatever the machine's protected_symlinks says: root would overwrite a file of that
// user's choosing. The saver's own links there, the folder owner's, and links elsewhere are.
TEST_F(ReplaceFileTest, ALinkPlantedByAnotherUserInASharedFolderIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to act as other users";
    const std::string shared = m_dir + "/shared", target = m_dir + "/target";
    fs::permissions(m_dir, fs::perms(0755));
    // clang-format off
    const struct { const char* name; mode_t folderMode; uid_t folderOwner, planter, saver; bool chain, followed; } rows[] = {
        {"another user's, saved by root",          01777, 0,      kMember, 0,      false, false},
        {"another user's, saved by a user",        01777, 0,      kMember, kOwner, false, false},
        {"another user's, reached by a link",      01777, 0,      kMember, 0,      true,  false},
        {"the saver's own",                        01777, 0,      kOwner,  kOwner, false, true},
        {"the folder owner's",                     01777, kOwner, kOwner,  0,      false, true},
        {"in a folder that is not sticky",         00777, 0,      kMember, 0,      false, true},
        {"in a sticky folder the group may write", 01770, 0,      kMember, 0,      false, true},
    };
    // clang-format on
    for (const Writer& writer : kWriters) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(writer.name) + ": " + row.name);
            fs::remove_all(shared), fs::remove(target), fs::remove(m_file);
            fs::create_directory(shared);
            ASSERT_EQ(::chown(shared.c_str(), row.folderOwner, kLab), 0);
            ASSERT_EQ(::chmod(shared.c_str(), row.folderMode), 0);
            Put(target, kBefore);
            ASSERT_EQ(::chown(target.c_str(), row.saver, row.saver), 0);
            const std::string planted = shared + "/ParamCfg.ini";
            ASSERT_EQ(RunAs(row.planter, row.planter, {kLab},
                            [&] { return ::symlink(target.c_str(), planted.c_str()) == 0; }),
                      0);
            if (row.chain) fs::create_symlink(planted, m_file);
            const std::string named = row.chain ? m_file : planted;
            const FileWriteStep expected = row.followed ? FileWriteStep::kNone : FileWriteStep::kUnsafeLink;
            EXPECT_EQ(RunAs(row.saver, row.saver, {},
                            [&] { return writer.write(named, "planted").step == expected; }),
                      0);
            EXPECT_EQ(Read(target).find("planted") != std::string::npos, row.followed);
            EXPECT_TRUE(fs::is_symlink(planted));
        }
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

// What others see of the file stays: a group-shared file saved by another member of the
// group stays its owner's, in its group, and the owner can still save it; a second link
// sees the new text; an access list stays as it was; a file this user may write, in a
// folder this user may not, is saved.
TEST_F(ReplaceFileTest, TheFileStaysWhatOthersSee) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to act as other users";
    const auto write = [](const Writer& writer, const std::string& path, const std::string& text) {
        return [&writer, path, text] { return writer.write(path, text).step == FileWriteStep::kNone; };
    };
    for (const Writer& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        // Group-shared: owner A, group lab, 0664, in a folder the group may write.
        ASSERT_EQ(::chown(m_dir.c_str(), kOwner, kLab), 0);
        fs::permissions(m_dir, fs::perms(0775));
        fs::remove(m_file);
        Put(m_file, kBefore);
        ASSERT_EQ(::chown(m_file.c_str(), kOwner, kLab), 0);
        fs::permissions(m_file, fs::perms(0664));
        EXPECT_EQ(RunAs(kMember, kMember, {kLab}, write(writer, m_file, "by B")), 0);
        const ino_t shared = Stat(m_file).st_ino;
        EXPECT_EQ(RunAs(kOwner, kOwner, {kLab}, write(writer, m_file, "by A")), 0);
        struct stat info = Stat(m_file);
        EXPECT_NE(info.st_ino, shared) << "the owner's save was not a rename";
        EXPECT_EQ(info.st_uid, kOwner);
        EXPECT_EQ(info.st_gid, kLab);
        EXPECT_EQ(info.st_mode & 07777, 0664u);
        EXPECT_NE(Read(m_file).find("by A"), std::string::npos);

        // Two links: both names see the new text.
        const std::string other = m_dir + "/other.ini";
        fs::remove(other);
        fs::create_hard_link(m_file, other);
        EXPECT_TRUE(write(writer, m_file, "linked")());
        EXPECT_EQ(Read(other), Read(m_file));
        EXPECT_EQ(Stat(other).st_nlink, 2u);
        fs::remove(other);

        // An access list, and none where the file had none although its folder gives
        // new files one.
        const std::string list = AccessList(kMember);
        ASSERT_EQ(::setxattr(m_file.c_str(), "system.posix_acl_access", list.data(), list.size(), 0), 0);
        info = Stat(m_file);
        EXPECT_EQ(RunAs(kOwner, kOwner, {kLab}, write(writer, m_file, "acl")), 0);
        EXPECT_TRUE(write(writer, m_file, "acl by root")());
        EXPECT_EQ(Attribute(m_file, "system.posix_acl_access"), list);
        EXPECT_EQ(Stat(m_file).st_mode, info.st_mode);
        ASSERT_EQ(::removexattr(m_file.c_str(), "system.posix_acl_access"), 0);
        ASSERT_EQ(::setxattr(m_dir.c_str(), "system.posix_acl_default", list.data(), list.size(), 0), 0);
        fs::permissions(m_file, fs::perms(0644));
        EXPECT_TRUE(write(writer, m_file, "no acl")());
        EXPECT_EQ(Attribute(m_file, "system.posix_acl_access"), "none");
        EXPECT_EQ(Stat(m_file).st_mode & 07777, 0644u);
        ASSERT_EQ(::removexattr(m_dir.c_str(), "system.posix_acl_default"), 0);

        // A file of this user's, in a folder this user may not write.
        ASSERT_EQ(::chown(m_dir.c_str(), 0, 0), 0);
        fs::permissions(m_dir, fs::perms(0755));
        ASSERT_EQ(::chown(m_file.c_str(), kMember, kMember), 0);
        EXPECT_EQ(RunAs(kMember, kMember, {}, write(writer, m_file, "in place")), 0);
        EXPECT_NE(Read(m_file).find("in place"), std::string::npos);
        EXPECT_EQ(Names(m_dir), std::vector<std::string>{"ParamCfg.ini"});
    }
}

// The new file's name beside the target must fit the folder, also when the target's
// own name nearly fills it.
TEST_F(ReplaceFileTest, ATargetWithTheLongestNamesIsReplaced) {
    for (const Writer& writer : kWriters) {
        for (const std::size_t length : {236u, 250u, 255u}) {
            const std::string path = m_dir + "/" + std::string(length - 4, 'n') + ".ini";
            Put(path, kBefore);
            EXPECT_EQ(writer.write(path, "v").step, FileWriteStep::kNone) << writer.name << length;
            EXPECT_NE(Read(path).find('v'), std::string::npos) << writer.name << length;
            fs::remove(path);
            EXPECT_TRUE(Names(m_dir).empty()) << writer.name << length;
        }
    }
}
