// The framed firmware transfer, checked byte for byte by the simulated loader.
#include <poll.h>
#include <unistd.h>

#include <functional>
#include <future>

#include "link/firmware_transfer.h"
#include "tests/link/com_device_fixture.h"
#include "tests/support/pty.h"

using namespace linktest;

std::vector<std::uint8_t> MakeImage(std::size_t size) {
    std::vector<std::uint8_t> image(size);
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : image) byte = (state = state * 1103515245u + 12345u) >> 16;
    return image;
}

class UpgradeTest : public ComDeviceTest {
protected:
    UpgradeTest() {
        EXPECT_TRUE(OpenDevice());
        EXPECT_TRUE(device.SetTimeouts(true));
    }
    // On a thread of its own, as the wait dialog's worker runs it.
    std::future<int> Start(const std::vector<std::uint8_t>& image, int block) {
        return std::async(std::launch::async, [this, &image, block] {
            return device.Upgrade(image.data(), static_cast<int>(image.size()), block, &running,
                                  [this](int) { ++steps; });
        });
    }

    std::atomic<int> running{1};
    std::atomic<int> steps{0};
};

// Any answer lets the next frame go; only 0x05 is logged as "ack".
TEST_F(UpgradeTest, ImagesGoOutInFrames) {
    const std::tuple<std::size_t, int, unsigned char, std::vector<std::size_t>> rows[] = {
        // image size, block, the loader's answer, frame sizes
        {10000, 4096, 0x05, {4096, 4096, 1808}}, {8192, 4096, 0x05, {4096, 4096, 0}},
        {1100, 512, 0x05, {512, 512, 76}},       {0, 4096, 0x05, {0}},
        {5000, 4096, 0x15, {4096, 904}},
    };
    for (const auto& [size, block, answer, frames] : rows) {
        const std::string name = std::to_string(size) + " bytes at " + std::to_string(block);
        sim.setLoaderOptions({.ackByte = answer});
        sim.resetLoader();
        log.Clear();
        steps = 0;
        const std::vector<std::uint8_t> image = MakeImage(size);
        EXPECT_EQ(Start(image, block).get(), 1) << name;
        ASSERT_TRUE(sim.waitFor([&] { return sim.loaderComplete(); }, 3000ms)) << name;
        EXPECT_EQ(sim.loaderFrameSizes(), frames) << name;
        EXPECT_TRUE(sim.loaderImage() == std::string(image.begin(), image.end())) << name;
        const std::vector<ModuleSimulator::LoaderFrame> sent = sim.loaderFrames();
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_TRUE(sent[i].checksumOk && sent[i].endOk) << name << " frame " << i;
            EXPECT_EQ(sent[i].last, i + 1 == sent.size()) << name << " frame " << i;
        }
        EXPECT_EQ(steps, int(frames.size())) << name;
        EXPECT_EQ(log.Count(LOG_RECV, "ack"), answer == 0x05 ? int(frames.size()) - 1 : 0) << name;
        EXPECT_EQ(log.Count(LOG_INFO, "upgrade complete"), 1) << name;
    }
}

// "PF" and "F-" in two reads is no ready answer: the handshake goes on.
TEST_F(UpgradeTest, ReadyMarkerSplitOverTwoReadsIsNotRecognised) {
    sim.setLoaderOptions({.splitReady = true, .splitPause = 3ms * kUpgradeReadTotalMs});
    const std::vector<std::uint8_t> image = MakeImage(100);
    std::future<int> result = Start(image, 4096);
    EXPECT_TRUE(sim.waitFor([&] { return sim.loaderRequests() >= 3; }, 5000ms));
    EXPECT_FALSE(sim.loaderStarted());
    EXPECT_GE(log.Count(LOG_RECV, "PF"), 1);
    sim.setLoaderOptions({});
    EXPECT_EQ(result.get(), 1);
    ASSERT_TRUE(sim.waitFor([&] { return sim.loaderComplete(); }, 3000ms));
    EXPECT_TRUE(sim.loaderImage() == std::string(image.begin(), image.end()));
}

// A cancel, or the port gone, ends the transfer within a read time-out, in the
// handshake (no 0x06 then) or waiting for a frame's answer; no frame follows it.
class UpgradeStopTest : public UpgradeTest,
                        public ::testing::WithParamInterface<std::tuple<bool, std::size_t>> {};

TEST_P(UpgradeStopTest, CancelOrHangUp) {
    const auto [hangUp, frames] = GetParam();                         // frames sent when it stops
    sim.setLoaderOptions({.answer = frames > 0, .answerFrames = 1});  // answers the first only
    const std::vector<std::uint8_t> image = MakeImage(20000);
    std::future<int> result = Start(image, 4096);
    const auto stopPoint = [&, frames = frames] {
        return frames > 0 ? sim.loaderFrames().size() == frames : sim.loaderRequests() >= 2;
    };
    EXPECT_TRUE(sim.waitFor(stopPoint, 3000ms));
    hangUp ? sim.hangUp() : running.store(0);
    ASSERT_EQ(result.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
    EXPECT_EQ(steps, int(frames));
    EXPECT_EQ(log.Count(LOG_INFO, "upgrade terminate"), 1);
    EXPECT_EQ(sim.loaderFrames().size(), frames);
    EXPECT_EQ(sim.loaderStarted(), frames > 0);
    device.Close();
    EXPECT_FALSE(device.m_serial.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(HangUpAndFramesSent, UpgradeStopTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(0u, 2u)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) ? "HangUp" : "Cancel") +
                                    "After" + std::to_string(std::get<1>(info.param)) + "Frames";
                         });

// The port goes away right after the module answered the first frame: the
// second frame finds no port, so it is neither logged nor counted.
TEST_F(UpgradeTest, AFrameThePortNeverTookIsNeitherLoggedNorCounted) {
    // The wait for more answer bytes outlasts the 20 ms before the hang-up.
    app.WriteSettings("[UPGRADE_COM_TIMEOUT_PARAM]\r\nReadTotalTimeoutConstant=300\r\n");
    ASSERT_TRUE(device.SetTimeouts(true));
    sim.setLoaderOptions({.hangUpAfterFrames = 1});
    const std::vector<std::uint8_t> image = MakeImage(20000);
    std::future<int> result = Start(image, 4096);
    ASSERT_EQ(result.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
    EXPECT_EQ(sim.loaderFrames().size(), 1u);
    int logged = 0;
    for (const auto& [kind, text] : log.Lines()) logged += text.starts_with("send pos=");
    EXPECT_EQ(logged, 1);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(log.Count(LOG_INFO, "upgrade terminate"), 1);
}
