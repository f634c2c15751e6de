// Two instances of the tool saving the same settings file at once, with a third reading
// it: no save is lost, no key goes back or vanishes, and the reader never sees a file half
// written; by a rename, and in place.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>

#include <map>
#include <regex>

#include "platform/file_lock.h"
#include "platform/read_regular_file.h"
#include "tests/support/file_writers.h"

namespace {

constexpr int kSaves = 300;
// A comment of many pages after the keys: each save moves it, and takes long enough for a
// reader to meet it halfway.
const std::string kHead = "[CONFIG]\r\nLANGUAGE=2\r\n";
const std::string kTail = "; " + std::string(64 * 1024, 'c') + "\r\n";

// Saves key = 1, 2, ... kSaves; leading zeros change the value's length at every save.
// The number of saves that failed.
int SaveInTurn(const std::string& key, const std::string& file) {
    int failed = 0;
    for (int i = 1; i <= kSaves; ++i)
        failed +=
            !WriteProfileString("CONFIG", key, std::string(i % 4, '0') + std::to_string(i), file);
    return failed;
}

// What is wrong with one read of the file, given the numbers seen before (which it
// updates); empty when nothing is.
std::string Fault(const std::string& content, std::map<std::string, int>& seen) {
    static const std::regex kKeys("((A|B)=(\\d+)\r\n)?((A|B)=(\\d+)\r\n)?");
    std::smatch keys;
    const std::size_t middle =
        content.size() - std::min(content.size(), kHead.size() + kTail.size());
    if (content.compare(0, kHead.size(), kHead) != 0 ||
        content.compare(content.size() - std::min(content.size(), kTail.size()), kTail.size(),
                        kTail) != 0 ||
        !std::regex_match(content.begin() + kHead.size(), content.begin() + kHead.size() + middle,
                          keys, kKeys) ||
        (keys[2].matched && keys[2] == keys[5]))
        return "a mixed file: " + content.substr(kHead.size(), std::min<std::size_t>(middle, 40));
    std::map<std::string, int> now;
    for (int at : {2, 5})
        if (keys[at].matched) now[keys[at]] = std::stoi(keys[at + 1]);
    for (const auto& [key, number] : seen) {
        if (now.count(key) == 0 || now[key] < number)
            return key + " went back from " + std::to_string(number);
    }
    seen = now;
    return {};
}

// Reads the file as the tool does, under a shared lock, until stop is closed; the number
// of faulty reads, the first of them told.
int Watch(const std::string& file, int stop) {
    std::map<std::string, int> seen;
    int faults = 0;
    for (pollfd closed{stop, POLLIN, 0}; ::poll(&closed, 1, 0) == 0;) {
        int error = 0;
        std::string content;
        // The lock goes before the content is looked at, as the tool's own reader lets it go.
        if (const FileDescriptor fd = OpenSharedLocked(file, error); fd.get() >= 0)
            ReadOpenRegularFile(fd.get(), kMaxProfileFileBytes, content);
        const std::string fault = Fault(content, seen);
        if (!fault.empty() && faults++ == 0) std::fprintf(stderr, "%s\n", fault.c_str());
    }
    return faults;
}

pid_t Child(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(std::min(work(), 255));
    return child;
}

}  // namespace

TEST(ProfileLockTest, TwoInstancesSavingAtOnceLoseNothingAndAReaderSeesNoHalfFile) {
    std::string dir = "/tmp/profile_lock_test_XXXXXX";
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    const std::string file = dir + "/ParamCfg.ini";
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "by rename");
        Put(file, kHead + kTail);
        if (inPlace) std::filesystem::create_hard_link(file, dir + "/linked.ini");
        int stop[2];
        ASSERT_EQ(::pipe(stop), 0);
        const pid_t reader = Child([&] { return ::close(stop[1]), Watch(file, stop[0]); });
        ::close(stop[0]);
        const pid_t first = Child([&] { return SaveInTurn("A", file); });
        const pid_t second = Child([&] { return SaveInTurn("B", file); });
        EXPECT_EQ(Waited(first), 0) << "saves of A failed";
        EXPECT_EQ(Waited(second), 0) << "saves of B failed";
        ::close(stop[1]);
        EXPECT_EQ(Waited(reader), 0) << "faulty reads";
        std::map<std::string, int> seen;
        EXPECT_EQ(Fault(Read(file), seen), "");
        EXPECT_EQ(seen, (std::map<std::string, int>{{"A", kSaves}, {"B", kSaves}}));
    }
    std::filesystem::remove_all(dir);
}

// A lock held past the bound, as a stale one is, makes a save give up and say why, and a
// read go on without it.
TEST(ProfileLockTest, ALockHeldTooLongMakesASaveGiveUpAndAReadGoOn) {
    std::string dir = "/tmp/profile_lock_test_XXXXXX";
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    const std::string file = dir + "/ParamCfg.ini";
    Put(file, "[CONFIG]\r\nK=1\r\n");
    const FileDescriptor holder(::open(file.c_str(), O_RDONLY));
    ASSERT_EQ(::flock(holder.get(), LOCK_EX), 0);
    FileWriteFailure failure;
    EXPECT_FALSE(WriteProfileString("CONFIG", "K", "2", file, &failure));
    EXPECT_EQ(failure.step, FileWriteStep::kLocked);
    EXPECT_EQ(ReadProfileInt("CONFIG", "K", 0, file), 1);
    std::filesystem::remove_all(dir);
}
