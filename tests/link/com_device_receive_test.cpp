// The receive thread of the command window.
#include <sys/resource.h>

#include <condition_variable>

#include "tests/link/com_device_fixture.h"

namespace comdev_test {
namespace {

// What the callback received, on the receive thread.
class Received {
public:
    ReceiveCallback Callback()
    {
        return [this](char* data, unsigned long length, void* user) {
            std::lock_guard lock(m_mutex);
            m_bytes.append(data, length);
            m_user = user;
            ++m_calls;
            m_changed.notify_all();
        };
    }
    bool WaitForSize(std::size_t size, std::chrono::milliseconds bound)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, bound, [&] { return m_bytes.size() >= size; });
    }
    std::string Bytes() const
    {
        std::lock_guard lock(m_mutex);
        return m_bytes;
    }
    void* User() const
    {
        std::lock_guard lock(m_mutex);
        return m_user;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_bytes;
    void* m_user = nullptr;
    int m_calls = 0;
};

std::chrono::nanoseconds ProcessCpuTime()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

using ReceiveTest = ComDeviceTest;

TEST_F(ReceiveTest, StartAndStopRules)
{
    Received received;
    EXPECT_FALSE(device.StartEventThread(received.Callback(), nullptr)) << "closed port";
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_TRUE(device.StopEventThread()) << "no thread";

    ASSERT_TRUE(OpenDevice());
    log.Clear();
    ASSERT_TRUE(device.StartEventThread(received.Callback(), nullptr));
    EXPECT_FALSE(device.StartEventThread(received.Callback(), nullptr));
    EXPECT_EQ(log.Count(LOG_ERROR, "event thread is running"), 1);
    EXPECT_TRUE(device.StopEventThread());
    EXPECT_TRUE(device.StopEventThread());
    // After a stop a new thread may start.
    EXPECT_TRUE(device.StartEventThread(received.Callback(), nullptr));
}

// Written as the command window writes (straight to the port, no purge), the
// module's answers come back whole and in order, with the user pointer.
TEST_F(ReceiveTest, BytesArriveInOrder)
{
    ASSERT_TRUE(OpenDevice());
    Received received;
    int marker = 0;
    ASSERT_TRUE(device.StartEventThread(received.Callback(), &marker));
    constexpr int kLines = 60;
    for (int i = 0; i < kLines; ++i) {
        sim.setValue("AT_NID", std::to_string(1000 + i));
        const std::string line = "AT+NID?\r\n";
        ASSERT_EQ(device.m_serial.Write(line.data(), static_cast<std::uint32_t>(line.size())),
                  line.size());
        // One answer at a time, so the values are known to follow each other.
        ASSERT_TRUE(sim.waitFor([&] { return sim.countReceived(line) == i + 1; }, 2000ms));
    }
    ASSERT_TRUE(sim.waitFor([&] { return sim.sent().size() >= std::size_t{kLines}; }, 3000ms));
    const std::string expected = sim.sentText();
    ASSERT_TRUE(received.WaitForSize(expected.size(), 3000ms));
    EXPECT_EQ(received.Bytes(), expected);
    EXPECT_EQ(received.User(), &marker);
    EXPECT_TRUE(device.StopEventThread());
}

// Closing the port ends the thread's wait: the join does not sit out a pass.
TEST_F(ReceiveTest, CloseStopsTheThreadPromptly)
{
    ASSERT_TRUE(OpenDevice());
    Received received;
    ASSERT_TRUE(device.StartEventThread(received.Callback(), nullptr));
    const auto start = Clock::now();
    device.Close();
    EXPECT_LT(Clock::now() - start, 300ms);
    EXPECT_EQ(log.Count(LOG_INFO, "close com port"), 1);
    EXPECT_FALSE(device.StartEventThread(received.Callback(), nullptr));
}

// Unplugged while running: the loop ends by itself instead of spinning on
// the hang-up, and Close afterwards is clean.
TEST_F(ReceiveTest, UnplugEndsTheLoopWithoutSpinning)
{
    ASSERT_TRUE(OpenDevice());
    Received received;
    ASSERT_TRUE(device.StartEventThread(received.Callback(), nullptr));
    sim.hangUp();
    ASSERT_TRUE(sim.isHungUp());

    // Over more than one 500 ms pass a spinning loop would use most of a core.
    const auto cpuBefore = ProcessCpuTime();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(700ms);
    const auto cpu = ProcessCpuTime() - cpuBefore;
    const auto wall = Clock::now() - wallBefore;
    EXPECT_LT(cpu, wall / 10) << "cpu " << std::chrono::duration_cast<std::chrono::milliseconds>(cpu).count()
                              << " ms in "
                              << std::chrono::duration_cast<std::chrono::milliseconds>(wall).count()
                              << " ms";

    // The loop has ended already, so stopping takes no wait of its own.
    const auto start = Clock::now();
    EXPECT_TRUE(device.StopEventThread());
    EXPECT_LT(Clock::now() - start, 100ms);
    device.Close();
    EXPECT_FALSE(device.m_serial.IsOpen());
    EXPECT_EQ(log.Count(LOG_INFO, "close com port"), 1);
}

} // namespace
} // namespace comdev_test
