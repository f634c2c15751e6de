#include "platform/read_regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/fifo_without_writer.h"

namespace fs = std::filesystem;

class ReadRegularFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(::mkdtemp(m_dir.data()), nullptr); }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_dir + name, std::ios::binary) << bytes;
        return m_dir + name;
    }
    std::string m_dir = "/tmp/read_file_test_XXXXXX";
};

const char* Name(RegularFileRead result) {
    switch (result) {
        case RegularFileRead::kRead:
            return "read";
        case RegularFileRead::kRefused:
            return "refused";
        case RegularFileRead::kFailed:
            return "failed";
    }
    return "?";
}

// Nothing but a regular file within the bound is read, and refusing never blocks or allocates
// the file's claimed size.
TEST_F(ReadRegularFileTest, OnlyARegularFileWithinTheBoundIsRead) {
    constexpr std::size_t kBound = 16;
    const std::string nul("a\0\r\nb", 5), exact(kBound, 'x');
    const std::string sparse = Put("/sparse", "");
    ASSERT_EQ(::truncate(sparse.c_str(), 8LL << 30), 0);  // 8 GiB of nothing on disk
    FifoWithoutWriter fifo(m_dir + "/fifo.bin");
    ASSERT_TRUE(fifo.made());
    fs::create_directory(m_dir + "/folder.bin");
    fs::create_symlink(Put("/target", nul), m_dir + "/link.bin");
    const std::tuple<std::string, std::size_t, const char*, std::string> rows[] = {
        // path, bound, result, bytes
        {Put("/nul", nul), kBound, "read", nul},  // every byte, NUL and CR LF kept
        {Put("/empty", ""), kBound, "read", ""},
        {Put("/exact", exact), kBound, "read", exact},
        {Put("/over", exact + "y"), kBound, "refused", ""},
        {sparse, 1 << 20, "refused", ""},
        {m_dir + "/missing", kBound, "refused", ""},
        {m_dir + "/fifo.bin", kBound, "refused", ""},
        {"/dev/zero", kBound, "refused", ""},
        {m_dir + "/folder.bin", kBound, "refused", ""},
        {m_dir + "/link.bin", kBound, "read", nul},
        // Sized 0 but not empty, as a file that grows while it is read: the bound holds.
        {"/proc/self/maps", kBound, "refused", ""}};
    for (const auto& [path, bound, result, bytes] : rows) {
        std::string got = "left over";
        EXPECT_STREQ(Name(ReadRegularFile(path, bound, got)), result) << path;
        EXPECT_EQ(got, bytes) << path;
    }
    EXPECT_FALSE(fifo.readerWasStuck());
    std::string maps;
    EXPECT_EQ(ReadRegularFile("/proc/self/maps", 1 << 20, maps), RegularFileRead::kRead);
    EXPECT_NE(maps.find("[stack]"), std::string::npos) << "read to its end, not to its size";
}
