// Two instances of the tool saving the same settings file at once, with a third reading
// it: no save is lost, no key goes back or vanishes, and the reader never sees a file half
// written; by a rename, and in place.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "platform/file_lock.h"
#include "platform/profile.h"
#include "platform/read_regular_file.h"
#include "tests/support/file_writers.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSaves = 300;
// A comment of many pages makes each save long enough for a reader to meet it halfway.
const std::string kComment = "; " + std::string(64 * 1024, 'c') + "\r";
const std::string kStart = "[CONFIG]\r\nLANGUAGE=2\r\n" + kComment + "\n";

// Saves key = 1, 2, ... kSaves, one save each; the number of saves that failed. Leading
// zeros change the value's length at every save, and so move the lines after it.
int SaveInTurn(const std::string& key, const std::string& file) {
    int failed = 0;
    for (int i = 1; i <= kSaves; ++i) {
        FileWriteFailure failure;
        const std::string value = std::string(i % 4, '0') + std::to_string(i);
        if (!WriteProfileString("CONFIG", key, value, file, &failure)) {
            if (failed++ == 0)
                std::fprintf(stderr, "save %s=%d: step %d, errno %d\n", key.c_str(), i,
                             static_cast<int>(failure.step), failure.error);
        }
    }
    return failed;
}

// What is wrong with one read of the file, given the numbers seen before (which it
// updates); empty when nothing is.
std::string Fault(const std::string& content, std::map<std::string, int>& seen) {
    std::map<std::string, int> now;
    std::size_t at = 0;
    while (at < content.size()) {
        const std::size_t end = content.find('\n', at);
        if (end == std::string::npos) return "a last line without a line end";
        const std::string line = content.substr(at, end - at);
        at = end + 1;
        if (line == "[CONFIG]\r" || line == "LANGUAGE=2\r" || line == kComment) continue;
        const std::string key = line.substr(0, 2);
        if ((key != "A=" && key != "B=") || line.back() != '\r')
            return "a stray line: " + line.substr(0, 40);
        const std::string digits = line.substr(2, line.size() - 3);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
            return "a stray value: " + line;
        if (!now.emplace(key, std::stoi(digits)).second) return "a key twice: " + key;
    }
    for (const auto& [key, number] : seen) {
        if (now.count(key) == 0) return key + " vanished";
        if (now[key] < number) return key + " went back from " + std::to_string(number);
    }
    seen = now;
    return {};
}

// Reads the file as the tool does, under a shared lock, until stop is closed; the number
// of faulty reads, the first of them told on stderr.
int Watch(const std::string& file, int stop) {
    std::map<std::string, int> seen;
    int faults = 0;
    pollfd closed{stop, POLLIN, 0};
    while (::poll(&closed, 1, 0) == 0) {
        int error = 0;
        std::string content;
        // The lock goes before the content is looked at, as the tool's own reader lets it go.
        if (const FileDescriptor fd = OpenSharedLocked(file, error);
            fd.get() < 0 || ReadOpenRegularFile(fd.get(), kMaxProfileFileBytes, content) !=
                                RegularFileRead::kRead) {
            if (faults++ == 0) std::fprintf(stderr, "unreadable: errno %d\n", error);
            continue;
        }
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
        Put(file, kStart);
        if (inPlace) fs::create_hard_link(file, dir + "/linked.ini");
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
        EXPECT_EQ(seen, (std::map<std::string, int>{{"A=", kSaves}, {"B=", kSaves}}));
        fs::remove(dir + "/linked.ini");
    }
    fs::remove_all(dir);
}
