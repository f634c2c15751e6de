// The framed firmware transfer, checked byte for byte by the simulated loader.
#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <future>

#include "link/firmware_transfer.h"
#include "tests/link/com_device_fixture.h"
#include "tests/support/pty.h"

namespace comdev_test {
namespace {

std::vector<std::uint8_t> MakeImage(std::size_t size)
{
    std::vector<std::uint8_t> image(size);
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : image) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    return image;
}

class UpgradeTest : public ComDeviceTest {
protected:
    UpgradeTest()
    {
        EXPECT_TRUE(OpenDevice());
        EXPECT_TRUE(device.SetTimeouts(true));
    }

    // Runs the transfer on its own thread, as the wait dialog's worker does.
    std::future<int> Start(const std::vector<std::uint8_t>& image, int block)
    {
        return std::async(std::launch::async, [this, &image, block] {
            return device.Upgrade(image.data(), static_cast<int>(image.size()), block, &running,
                                  [this](int) { ++steps; });
        });
    }

    std::atomic<int> running{1};
    std::atomic<int> steps{0};
};

struct FrameCase {
    std::size_t imageSize;
    int block;
    std::vector<std::size_t> frames;
    std::vector<std::string> positions;
};

TEST_F(UpgradeTest, ImagesGoOutInFrames)
{
    const FrameCase cases[] = {
        {10000, 4096, {4096, 4096, 1808},
         {"send pos=4096 len=4096", "send pos=8192 len=4096", "send pos=10000 len=1808"}},
        {8192, 4096, {4096, 4096, 0},
         {"send pos=4096 len=4096", "send pos=8192 len=4096", "send pos=8192 len=0"}},
        {1100, 512, {512, 512, 76},
         {"send pos=512 len=512", "send pos=1024 len=512", "send pos=1100 len=76"}},
        {0, 4096, {0}, {"send pos=0 len=0"}},
    };
    for (const FrameCase& row : cases) {
        const std::string name =
            std::to_string(row.imageSize) + " bytes at " + std::to_string(row.block);
        sim.resetLoader();
        sim.clearRecord();
        log.Clear();
        steps = 0;
        const std::vector<std::uint8_t> image = MakeImage(row.imageSize);
        EXPECT_EQ(device.Upgrade(image.data(), static_cast<int>(image.size()), row.block, &running,
                                 [this](int) { ++steps; }),
                  1)
            << name;
        ASSERT_TRUE(sim.waitFor([&] { return sim.loaderComplete(); }, 3000ms)) << name;
        EXPECT_EQ(sim.loaderFrameSizes(), row.frames) << name;
        EXPECT_EQ(sim.loaderImage(), std::string(image.begin(), image.end())) << name;
        const auto frames = sim.loaderFrames();
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_TRUE(frames[i].checksumOk) << name << " frame " << i;
            EXPECT_TRUE(frames[i].endOk) << name << " frame " << i;
            EXPECT_EQ(frames[i].last, i + 1 == frames.size()) << name << " frame " << i;
        }
        std::vector<std::string> positions;
        for (const LogLine& line : log.Lines()) {
            if (line.kind == LOG_INFO && line.text.rfind("send pos=", 0) == 0) {
                positions.push_back(line.text);
            }
        }
        EXPECT_EQ(positions, row.positions) << name;
        EXPECT_EQ(steps, static_cast<int>(row.frames.size())) << name;
        EXPECT_EQ(log.Count(LOG_RECV, "ack"), static_cast<int>(row.frames.size()) - 1) << name;
        EXPECT_EQ(log.Count(LOG_INFO, "upgrade complete"), 1) << name;
        EXPECT_EQ(log.Count(LOG_SEND, "P"), sim.loaderRequests()) << name;
        EXPECT_EQ(log.Count(LOG_RECV, "PFF-"), 1) << name;
    }
    // The empty last frame of an image that fills whole blocks, byte by byte.
    EXPECT_EQ(sim.received().back().bytes, std::string("\x02\x00\x00\x00\x03", 5));
}

TEST(Checksum8Test, SumModulo256)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::uint8_t sum;
    };
    const Case cases[] = {{{}, 0x00}, {{0xFF, 0x02}, 0x01}, {{0x80, 0x80}, 0x00},
                          {{0x01, 0x02, 0x03}, 0x06}, {std::vector<std::uint8_t>(256, 0xFF), 0x00}};
    for (const Case& row : cases) {
        EXPECT_EQ(Checksum8(row.bytes.data(), static_cast<unsigned>(row.bytes.size())), row.sum)
            << row.bytes.size() << " bytes";
    }
}

TEST(LoaderReadyTest, OnlyWholeMarkerWithinOneRead)
{
    const struct {
        const char* text;
        bool ready;
    } cases[] = {{"PFF-", true}, {"xxPFF-yy", true}, {"PF", false}, {"F-", false},
                 {"pff-", false}, {"", false}};
    for (const auto& row : cases) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(row.text);
        EXPECT_EQ(LoaderReady(bytes, std::strlen(row.text)), row.ready) << row.text;
    }
}

// Any answer lets the next frame go; only 0x05 is logged as "ack".
TEST_F(UpgradeTest, AnswerOtherThanAckStillAdvances)
{
    ModuleSimulator::LoaderOptions options;
    options.ackByte = 0x15;
    sim.setLoaderOptions(options);
    const std::vector<std::uint8_t> image = MakeImage(5000);
    EXPECT_EQ(device.Upgrade(image.data(), 5000, 4096, &running, nullptr), 1);
    ASSERT_TRUE(sim.waitFor([&] { return sim.loaderComplete(); }, 3000ms));
    EXPECT_EQ(sim.loaderFrameSizes(), (std::vector<std::size_t>{4096, 904}));
    EXPECT_EQ(log.Count(LOG_RECV, "ack"), 0);
}

// "PF" and "F-" in two reads is no ready answer: the handshake goes on until
// one read holds all four characters.
TEST_F(UpgradeTest, ReadyMarkerSplitOverTwoReadsIsNotRecognised)
{
    ModuleSimulator::LoaderOptions options;
    options.splitReady = true;
    options.splitPause = std::chrono::milliseconds(kUpgradeReadTotalMs * 3);
    sim.setLoaderOptions(options);
    const std::vector<std::uint8_t> image = MakeImage(100);
    std::future<int> result = Start(image, 4096);
    ASSERT_TRUE(sim.waitFor([&] { return sim.loaderRequests() >= 3; }, 5000ms));
    EXPECT_FALSE(sim.loaderStarted());
    EXPECT_GE(log.Count(LOG_RECV, "PF"), 1);
    sim.setLoaderOptions(ModuleSimulator::LoaderOptions());
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(result.get(), 1);
    ASSERT_TRUE(sim.waitFor([&] { return sim.loaderComplete(); }, 3000ms));
    EXPECT_EQ(sim.loaderImage(), std::string(image.begin(), image.end()));
}

struct StopCase {
    const char* name;
    bool loaderAnswers;
    int framesAnswered;  // -1: all
    std::function<bool(const ModuleSimulator&)> reached;  // when to stop it
    bool hangUp;  // else the user cancels
    std::size_t frames;  // frames the loader got, all whole
    int steps;
};

// A cancel, or the port gone although nobody cancels, ends the transfer within
// a read time-out: during the handshake (no 0x06 then) or while it waits for
// the loader's answer to a frame.
TEST(UpgradeStopTest, CancelOrHangUp)
{
    const StopCase cases[] = {
        {"cancel during handshake", false, -1,
         [](const ModuleSimulator& s) { return s.loaderRequests() >= 2; }, false, 0, 0},
        {"cancel between frames", true, 1,
         [](const ModuleSimulator& s) { return s.loaderFrames().size() == 2; }, false, 2, 2},
        {"hang-up during handshake", false, -1,
         [](const ModuleSimulator& s) { return s.loaderRequests() >= 1; }, true, 0, 0},
        {"hang-up between frames", true, 1,
         [](const ModuleSimulator& s) { return s.loaderFrames().size() == 2; }, true, 2, 2},
    };
    for (const StopCase& row : cases) {
        TempAppDirectory app;
        app.WriteSettings(ShortTimeoutSettings());
        LogCapture log;
        ModuleSimulator sim;
        CComDevice device;
        ASSERT_TRUE(device.Open(sim.portName(), kDefaultPort)) << row.name;
        ASSERT_TRUE(device.SetTimeouts(true)) << row.name;
        ModuleSimulator::LoaderOptions options;
        options.answer = row.loaderAnswers;
        options.answerFrames = row.framesAnswered;
        sim.setLoaderOptions(options);

        const std::vector<std::uint8_t> image = MakeImage(20000);
        std::atomic<int> running{1};
        std::atomic<int> steps{0};
        std::future<int> result = std::async(std::launch::async, [&] {
            return device.Upgrade(image.data(), static_cast<int>(image.size()), 4096, &running,
                                  [&](int) { ++steps; });
        });
        ASSERT_TRUE(sim.waitFor([&] { return row.reached(sim); }, 3000ms)) << row.name;
        const std::size_t framesAtStop = sim.loaderFrames().size();
        if (row.hangUp) {
            sim.hangUp();
        } else {
            running = 0;
        }
        ASSERT_EQ(result.wait_for(2s), std::future_status::ready) << row.name;
        EXPECT_EQ(result.get(), 0) << row.name;
        EXPECT_EQ(framesAtStop, row.frames) << row.name;
        EXPECT_EQ(steps, row.steps) << row.name;
        EXPECT_EQ(log.Count(LOG_INFO, "upgrade terminate"), 1) << row.name;
        if (!row.hangUp) {
            EXPECT_EQ(sim.loaderFrames().size(), row.frames) << row.name << ": a frame after the stop";
            EXPECT_EQ(sim.loaderStarted(), row.frames > 0) << row.name;
        }
        device.Close();
        EXPECT_FALSE(device.m_serial.IsOpen()) << row.name;
    }
}

// Read from the master of a pseudo-terminal of our own, where every read and
// its time can be seen.
class FrameReader {
public:
    explicit FrameReader(PseudoTerminal& pty) : m_fd(pty.masterFd()) {}

    struct Chunk {
        std::size_t endOffset;
        Clock::time_point at;
    };

    // Reads until `total` bytes came or `bound` passed.
    void ReadAll(std::size_t total, std::chrono::milliseconds bound)
    {
        const auto end = Clock::now() + bound;
        char buffer[8192];
        while (m_bytes.size() < total && Clock::now() < end) {
            pollfd entry{m_fd, POLLIN, 0};
            if (::poll(&entry, 1, 50) <= 0) {
                continue;
            }
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            m_bytes.append(buffer, static_cast<std::size_t>(n));
            m_chunks.push_back({m_bytes.size(), Clock::now()});
        }
    }
    const std::string& Bytes() const { return m_bytes; }
    const std::vector<Chunk>& Chunks() const { return m_chunks; }

private:
    int m_fd;
    std::string m_bytes;
    std::vector<Chunk> m_chunks;
};

// A 4096-byte payload goes out as header, 2048 bytes, a 5 ms pause, 2048
// bytes and the trailer; the reader, waiting on the line, sees the pause.
TEST(SendUpgradeFrameTest, LargePayloadInTwoHalvesWithAPause)
{
    LogCapture log;
    TempAppDirectory app;
    PseudoTerminal pty;
    CComDevice device;
    ASSERT_TRUE(device.Open(pty.portName(), kDefaultPort));
    const std::vector<std::uint8_t> payload = MakeImage(4096);

    FrameReader reader(pty);
    std::thread readerThread([&] { reader.ReadAll(4096 + 5, 3000ms); });
    const auto start = Clock::now();
    EXPECT_EQ(device.SendUpgradeFrame(payload.data(), 4096, false), 1);
    const auto took = Clock::now() - start;
    readerThread.join();

    std::string expected("\x02\x10\x00", 3);
    expected.append(payload.begin(), payload.end());
    expected += static_cast<char>(Checksum8(payload.data(), 4096));
    expected += '\x17';
    EXPECT_EQ(reader.Bytes(), expected);
    EXPECT_GE(took, 5ms);
    // The first half and the header end a read of their own before the pause.
    bool pauseSeen = false;
    const auto& chunks = reader.Chunks();
    for (std::size_t i = 0; i + 1 < chunks.size(); ++i) {
        if (chunks[i].endOffset == 3 + 2048) {
            pauseSeen = chunks[i + 1].at - chunks[i].at >= 3ms;
        }
    }
    EXPECT_TRUE(pauseSeen) << "no pause after 2048 payload bytes";
}

TEST(SendUpgradeFrameTest, SmallAndEmptyFrames)
{
    LogCapture log;
    TempAppDirectory app;
    PseudoTerminal pty;
    CComDevice device;
    ASSERT_TRUE(device.Open(pty.portName(), kDefaultPort));
    struct Case {
        std::vector<std::uint8_t> payload;
        bool last;
        std::string expected;
    };
    const Case cases[] = {
        {{0xFF, 0x02}, true, std::string("\x02\x00\x02\xFF\x02\x01\x03", 7)},
        {{}, true, std::string("\x02\x00\x00\x00\x03", 5)},
        {std::vector<std::uint8_t>(2048, 0x01), false,
         std::string("\x02\x08\x00", 3) + std::string(2048, '\x01') + std::string("\x00\x17", 2)},
    };
    for (const Case& row : cases) {
        FrameReader reader(pty);
        EXPECT_EQ(device.SendUpgradeFrame(row.payload.data(), static_cast<int>(row.payload.size()),
                                          row.last),
                  1);
        reader.ReadAll(row.expected.size(), 3000ms);
        EXPECT_EQ(reader.Bytes(), row.expected) << row.payload.size() << " bytes";
    }
}

} // namespace
} // namespace comdev_test
