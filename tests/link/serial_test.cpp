// CSerial over a real pseudo-terminal: this test holds the master side and
// plays the module by hand.
#include "link/serial.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/app_directory.h"
#include "link/serial_line_speed.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Waits for a condition that another party brings about, at most `limit`.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = 2000ms)
{
    const Clock::time_point end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class SerialTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(::grantpt(master_), 0);
        ASSERT_EQ(::unlockpt(master_), 0);
        const std::string slave = ::ptsname(master_);
        ASSERT_EQ(slave.rfind("/dev/", 0), 0u);
        port_ = slave.substr(5);  // "pts/N", as the port list gives names

        char pattern[] = "/tmp/serial_test_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        SetAppDirectoryForTesting(dir_);
    }
    void TearDown() override
    {
        serial_.Close();
        CloseMaster();
        SetAppDirectoryForTesting("");
        std::filesystem::remove_all(dir_);
    }

    void WriteSettings(const std::string& lines) const
    {
        std::ofstream(dir_ + "/ParamCfg.ini") << "[COM_TIMEOUT_PARAM]\r\n" << lines;
    }
    // Opens at 115200 8N1 with the given read time-outs (ms).
    void OpenWith(std::uint32_t interval, std::uint32_t constant, std::uint32_t multiplier = 0)
    {
        WriteSettings("ReadIntervalTimeout=" + std::to_string(interval) +
                      "\r\nReadTotalTimeoutConstant=" + std::to_string(constant) +
                      "\r\nReadTotalTimeoutMultiplier=" + std::to_string(multiplier) + "\r\n");
        ASSERT_TRUE(serial_.Open(port_, 115200, 8, 0, 0));
    }
    void Send(const std::string& bytes) const
    {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Bytes the port received and nobody has read yet.
    std::uint32_t Queued()
    {
        std::uint32_t errors = 0;
        std::uint32_t queued = 0;
        return serial_.ClearCommError(errors, queued) ? queued : 0;
    }
    void SendAndWaitQueued(const std::string& bytes)
    {
        const std::uint32_t before = Queued();
        Send(bytes);
        ASSERT_TRUE(WaitUntil([&] { return Queued() >= before + bytes.size(); }));
    }
    std::string ReceiveAtMaster(std::size_t count) const
    {
        std::string got;
        const Clock::time_point end = Clock::now() + 2s;
        while (got.size() < count && Clock::now() < end) {
            pollfd entry{master_, POLLIN, 0};
            if (::poll(&entry, 1, 100) > 0) {
                char chunk[4096];
                const ssize_t n = ::read(master_, chunk, sizeof chunk);
                if (n > 0) {
                    got.append(chunk, static_cast<std::size_t>(n));
                }
            }
        }
        return got;
    }
    void CloseMaster()
    {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

    int master_ = -1;
    std::string port_;
    std::string dir_;
    CSerial serial_;
};

TEST_F(SerialTest, OpenTakesTheTimeoutsOfTheSettingsFile)
{
    struct Row {
        const char* settings;  // lines of [COM_TIMEOUT_PARAM]
        std::uint32_t baud;
        COMMTIMEOUTS expected;  // interval, read multiplier, read constant, write mult., write const.
    };
    const Row rows[] = {
        {"", 9600, {150, 0, 1853, 0, 300}},
        {"", 600, {150, 0, 10000, 0, 300}},
        {"", 115200, {150, 0, 1000, 0, 300}},
        {"ReadTotalTimeoutConstant=20000\r\n", 57600, {150, 0, 10000, 0, 300}},
        {"ReadTotalTimeoutConstant=20000\r\n", 115200, {150, 0, 20000, 0, 300}},
        {"WriteTotalTimeoutMultiplier=1\r\nWriteTotalTimeoutConstant=2\r\nReadIntervalTimeout=3\r\n"
         "ReadTotalTimeoutMultiplier=4\r\nReadTotalTimeoutConstant=5\r\n",
         115200, {3, 4, 5, 1, 2}},
    };
    for (const Row& row : rows) {
        WriteSettings(row.settings);
        ASSERT_TRUE(serial_.Open(port_, row.baud, 8, 0, 0)) << row.baud;
        const COMMTIMEOUTS t = serial_.GetTimeouts();
        const auto text = [](const COMMTIMEOUTS& c) {
            return std::to_string(c.ReadIntervalTimeout) + "/" +
                   std::to_string(c.ReadTotalTimeoutMultiplier) + "/" +
                   std::to_string(c.ReadTotalTimeoutConstant) + "/" +
                   std::to_string(c.WriteTotalTimeoutMultiplier) + "/" +
                   std::to_string(c.WriteTotalTimeoutConstant);
        };
        EXPECT_EQ(text(t), text(row.expected))
            << "settings " << ::testing::PrintToString(std::string(row.settings)) << " at "
            << row.baud;
        serial_.Close();
    }
}

TEST_F(SerialTest, EveryLineSettingReachesThePort)
{
    struct Row {
        std::uint32_t baud;
        std::uint8_t dataBits;
        std::uint8_t parity;
        std::uint8_t stopBits;
    };
    std::vector<Row> rows;
    for (std::uint32_t baud :
         {600u, 1200u, 2400u, 4800u, 9600u, 14400u, 19200u, 38400u, 56000u, 57600u, 115200u}) {
        rows.push_back({baud, 8, 0, 0});
    }
    for (std::uint8_t dataBits : {6, 7, 8}) {
        for (std::uint8_t parity : {0, 1, 2, 3, 4}) {
            for (std::uint8_t stopBits : {0, 2}) {
                rows.push_back({9600, dataBits, parity, stopBits});
            }
        }
    }
    const tcflag_t parities[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR,
                                 PARENB | CMSPAR};
    for (const Row& row : rows) {
        const std::string what = std::to_string(row.baud) + " " + std::to_string(row.dataBits) +
                                 " parity " + std::to_string(row.parity) + " stop " +
                                 std::to_string(row.stopBits);
        ASSERT_TRUE(serial_.Open(port_, row.baud, row.dataBits, row.parity, row.stopBits)) << what;
        termios t{};
        // The master reports the slave's settings.
        ASSERT_EQ(::tcgetattr(master_, &t), 0);
        EXPECT_EQ(GetLineSpeed(master_), row.baud) << what;
        // A pseudo-terminal forces 8 data bits and clears PARENB whatever it
        // is told; the parity kind survives in PARODD and CMSPAR.
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB), tcflag_t{CS8}) << what;
        EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR), parities[row.parity] & (PARODD | CMSPAR)) << what;
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, row.stopBits == 2) << what;
        EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD | CRTSCTS), tcflag_t{CLOCAL | CREAD}) << what;
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << what;
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u) << what;
        EXPECT_EQ(t.c_oflag & OPOST, 0u) << what;
        serial_.Close();
    }
    // The standard rates also read back through the ordinary interface.
    ASSERT_TRUE(serial_.Open(port_, 9600, 8, 0, 0));
    termios t{};
    ASSERT_EQ(::tcgetattr(master_, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
}

TEST_F(SerialTest, RefusedSettingsLeaveThePortClosed)
{
    struct Row {
        std::uint32_t baud;
        std::uint8_t dataBits;
        std::uint8_t parity;
        std::uint8_t stopBits;
        const char* what;
    };
    const Row rows[] = {
        {115200, 8, 0, 1, "one and a half stop bits"},
        {115200, 6, 0, 1, "one and a half stop bits with 6 data bits"},
        {115200, 9, 0, 0, "9 data bits"},
        {115200, 8, 5, 0, "parity code 5"},
        {115200, 8, 0, 3, "stop bit code 3"},
        {0, 8, 0, 0, "baud 0"},
    };
    for (const Row& row : rows) {
        EXPECT_FALSE(serial_.Open(port_, row.baud, row.dataBits, row.parity, row.stopBits))
            << row.what;
        EXPECT_FALSE(serial_.IsOpen()) << row.what;
    }
    // Nothing stayed locked.
    EXPECT_TRUE(serial_.Open(port_, 115200, 8, 0, 0));
}

TEST_F(SerialTest, PortNamesAreNeverCut)
{
    // Longer than a 31-character device path allows, yet the same device.
    const std::string longName = "pts" + std::string(30, '/') + port_.substr(4);
    EXPECT_TRUE(serial_.Open(longName, 115200, 8, 0, 0)) << longName;
    serial_.Close();
    for (const std::string& bad : {std::string(), "/dev/" + port_, "../dev/" + port_,
                                  "pts/../" + port_, std::string("null"), port_ + "x"}) {
        EXPECT_FALSE(serial_.Open(bad, 115200, 8, 0, 0)) << bad;
        EXPECT_FALSE(serial_.IsOpen()) << bad;
    }
}

TEST_F(SerialTest, OpenIsExclusive)
{
    ASSERT_TRUE(serial_.Open(port_, 115200, 8, 0, 0));
    EXPECT_FALSE(serial_.OpenHandle(port_)) << "a second open of the same object";
    CSerial other;
    EXPECT_FALSE(other.Open(port_, 115200, 8, 0, 0));
    serial_.Close();
    EXPECT_TRUE(other.Open(port_, 115200, 8, 0, 0));
}

TEST_F(SerialTest, ClosedPortDoesNothing)
{
    std::uint8_t buffer[16] = {};
    std::uint32_t errors = 0;
    std::uint32_t queued = 0;
    EXPECT_FALSE(serial_.IsOpen());
    EXPECT_EQ(serial_.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(serial_.ReadTimeout(buffer, sizeof buffer, 50), 0u);
    EXPECT_EQ(serial_.ReadAvailable(buffer, sizeof buffer), 0u);
    EXPECT_EQ(serial_.Write("AT\r\n", 4), 0u);
    EXPECT_FALSE(serial_.Purge());
    EXPECT_FALSE(serial_.SetupBuffers());
    EXPECT_FALSE(serial_.SetLineSettings(115200, 8, 0, 0));
    EXPECT_FALSE(serial_.SetTimeouts(COMMTIMEOUTS{}));
    EXPECT_FALSE(serial_.ClearCommError(errors, queued));
    EXPECT_EQ(serial_.WaitCommEvent(1000), 0u);
    serial_.Close();
    EXPECT_FALSE(serial_.IsOpen());
}

TEST_F(SerialTest, WriteReachesTheModuleAndReadGetsTheReply)
{
    OpenWith(20, 1000);
    EXPECT_EQ(serial_.Write("AT+VER\r\n", 8), 8u);
    EXPECT_EQ(ReceiveAtMaster(8), "AT+VER\r\n");
    Send("\r\nOK\r\n");
    char reply[64] = {};
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(serial_.Read(reply, sizeof reply - 1), 6u);
    EXPECT_STREQ(reply, "\r\nOK\r\n");
    // Ended by the 20 ms quiet gap, long before the 1000 ms total.
    EXPECT_LT(MsSince(start), 500);
}

TEST_F(SerialTest, ReadTimeoutsEndReads)
{
    OpenWith(0, 60);
    char buffer[64];
    Clock::time_point start = Clock::now();
    EXPECT_EQ(serial_.Read(buffer, sizeof buffer), 0u);
    const long silent = MsSince(start);
    EXPECT_GE(silent, 59);
    EXPECT_LT(silent, 500);

    // count bytes end a read at once, the rest stays queued.
    SendAndWaitQueued("abcdef");
    start = Clock::now();
    EXPECT_EQ(serial_.Read(buffer, 4), 4u);
    EXPECT_LT(MsSince(start), 50);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(serial_.Read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(std::string(buffer, 2), "ef");
}

TEST_F(SerialTest, AbortEndsAPendingReadAndLosesNoByte)
{
    OpenWith(0, 10000);
    // A read that has taken bytes from the port and waits for more.
    SendAndWaitQueued("+V");
    std::atomic<std::uint32_t> result{99};
    std::atomic<long> elapsedAfterAbort{-1};
    std::atomic<Clock::rep> abortedAt{0};
    char buffer[64] = {};
    std::thread worker([&] {
        result = serial_.Read(buffer, sizeof buffer);
        elapsedAfterAbort = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(
                Clock::now() - Clock::time_point(Clock::duration(abortedAt.load())))
                .count());
    });
    EXPECT_TRUE(WaitUntil([&] { return Queued() == 0; })) << "the read never took the bytes";
    abortedAt = Clock::now().time_since_epoch().count();
    serial_.m_hAbort.Set();
    worker.join();
    EXPECT_EQ(result.load(), 0u);
    EXPECT_LT(elapsedAfterAbort.load(), 200);

    // While the event stays set, a read that would wait returns 0 at once ...
    Clock::time_point start = Clock::now();
    EXPECT_EQ(serial_.Read(buffer, sizeof buffer), 0u);
    EXPECT_LT(MsSince(start), 200);
    serial_.m_hAbort.Reset();

    // The bytes the aborted read took, then bytes arriving afterwards.
    SendAndWaitQueued("ER");
    COMMTIMEOUTS quick = serial_.GetTimeouts();
    quick.ReadTotalTimeoutConstant = 100;
    ASSERT_TRUE(serial_.SetTimeouts(quick));
    std::memset(buffer, 0, sizeof buffer);
    EXPECT_EQ(serial_.Read(buffer, sizeof buffer), 4u);
    EXPECT_STREQ(buffer, "+VER");
}

TEST_F(SerialTest, AbortSetBeforeTheReadStillDeliversACompleteRead)
{
    OpenWith(0, 10000);
    SendAndWaitQueued("OK");
    serial_.m_hAbort.Set();
    char buffer[2];
    EXPECT_EQ(serial_.Read(buffer, 2), 2u) << "all bytes were there: the read completed at once";
    // Neither the time-limited nor the byte-by-byte read watches the event.
    Clock::time_point start = Clock::now();
    EXPECT_EQ(serial_.ReadTimeout(buffer, 1, 50), 0u);
    EXPECT_GE(MsSince(start), 49);
    serial_.m_hAbort.Reset();
}

TEST_F(SerialTest, ReadTimeoutDropsAReadStillRunningAtItsLimit)
{
    OpenWith(50, 5000);
    std::atomic<bool> stop{false};
    std::thread chatter([&] {
        while (!stop) {
            Send("x");
            std::this_thread::sleep_for(5ms);  // the line never quiet for 50 ms
        }
    });
    char buffer[4096];
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(serial_.ReadTimeout(buffer, sizeof buffer, 100), 0u);
    const long elapsed = MsSince(start);
    stop = true;
    chatter.join();
    EXPECT_GE(elapsed, 99);
    EXPECT_LT(elapsed, 600);

    // A read that completes in time returns its bytes.
    serial_.Purge();
    SendAndWaitQueued("\r\nOK\r\n");
    EXPECT_EQ(serial_.ReadTimeout(buffer, sizeof buffer, 500), 6u);
}

TEST_F(SerialTest, ReadAvailableStopsAt1024BytesOrAQuietLine)
{
    OpenWith(150, 60);
    std::uint8_t buffer[1024];
    // Silent: one read time-out.
    Clock::time_point start = Clock::now();
    EXPECT_EQ(serial_.ReadAvailable(buffer, sizeof buffer), 0u);
    const long silent = MsSince(start);
    EXPECT_GE(silent, 59);
    EXPECT_LT(silent, 500);

    // A line that never falls quiet: exactly 1024, then the rest.
    std::string data;
    for (int i = 0; i < 3000; ++i) {
        data.push_back(static_cast<char>('A' + i % 26));
    }
    SendAndWaitQueued(data);
    EXPECT_EQ(serial_.ReadAvailable(buffer, sizeof buffer), 1024u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 1024), data.substr(0, 1024));
    EXPECT_EQ(serial_.ReadAvailable(buffer, sizeof buffer), 1024u);
    EXPECT_EQ(serial_.ReadAvailable(buffer, sizeof buffer), 3000u - 2048u);
    // A smaller buffer is never overrun.
    SendAndWaitQueued("0123456789");
    EXPECT_EQ(serial_.ReadAvailable(buffer, 4), 4u);
}

TEST_F(SerialTest, PurgeDropsReceivedBytes)
{
    OpenWith(0, 50);
    SendAndWaitQueued("late answer");
    EXPECT_TRUE(serial_.Purge());
    char buffer[32];
    EXPECT_EQ(serial_.Read(buffer, sizeof buffer), 0u);
}

TEST_F(SerialTest, WriteEndsAtItsTimeoutWhenNobodyReads)
{
    WriteSettings("WriteTotalTimeoutConstant=100\r\n");
    ASSERT_TRUE(serial_.Open(port_, 115200, 8, 0, 0));
    const std::vector<char> big(1 << 20, 'x');
    const Clock::time_point start = Clock::now();
    const std::uint32_t written = serial_.Write(big.data(), static_cast<std::uint32_t>(big.size()));
    const long elapsed = MsSince(start);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, big.size());
    EXPECT_GE(elapsed, 99);
    EXPECT_LT(elapsed, 600);
}

TEST_F(SerialTest, HangUpEndsReadsAndWritesAtOnce)
{
    OpenWith(0, 10000);
    std::atomic<std::uint32_t> result{99};
    char buffer[64];
    std::thread worker([&] { result = serial_.Read(buffer, sizeof buffer); });
    const Clock::time_point start = Clock::now();
    CloseMaster();  // the adapter is pulled
    worker.join();
    EXPECT_EQ(result.load(), 0u);
    EXPECT_LT(MsSince(start), 1000);

    const Clock::time_point after = Clock::now();
    EXPECT_EQ(serial_.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(serial_.ReadTimeout(buffer, sizeof buffer, 5000), 0u);
    EXPECT_EQ(serial_.ReadAvailable(reinterpret_cast<std::uint8_t*>(buffer), sizeof buffer), 0u);
    EXPECT_EQ(serial_.Write("AT\r\n", 4), 0u);
    EXPECT_EQ(serial_.WaitCommEvent(5000), EV_PORT_GONE);
    EXPECT_LT(MsSince(after), 100);
    EXPECT_TRUE(serial_.IsOpen()) << "the handle stays until Close";
    serial_.Close();
    EXPECT_FALSE(serial_.IsOpen());
}

TEST_F(SerialTest, ReceiveWaitSeesBytesAndEndsWhenThePortCloses)
{
    OpenWith(0, 100);
    EXPECT_EQ(serial_.WaitCommEvent(20), 0u);
    SendAndWaitQueued("abc");
    EXPECT_EQ(serial_.WaitCommEvent(500), EV_RXCHAR);
    EXPECT_EQ(Queued(), 3u);
    serial_.Purge();

    std::atomic<std::uint32_t> event{99};
    std::thread receiver([&] { event = serial_.WaitCommEvent(10000); });
    const Clock::time_point start = Clock::now();
    serial_.Close();  // may come before or during the wait: either ends it
    receiver.join();
    EXPECT_EQ(event.load(), 0u);
    EXPECT_LT(MsSince(start), 1000);
}

TEST_F(SerialTest, PortListComesSortedThroughTheSeam)
{
    std::vector<std::string> out = {"kept"};
    CSerial::SetPortLister([] { return std::vector<std::string>{"ttyUSB0", "pts/11", "pts/3"}; });
    EXPECT_TRUE(CSerial::EnumPorts(out));
    EXPECT_EQ(out, (std::vector<std::string>{"kept", "pts/3", "pts/11", "ttyUSB0"}));
    CSerial::SetPortLister([] { return std::vector<std::string>{}; });
    EXPECT_FALSE(CSerial::EnumPorts(out));
    EXPECT_EQ(out.size(), 4u);
    CSerial::SetPortLister({});
    // The kernel's list never holds pseudo-terminals.
    std::vector<std::string> real;
    CSerial::EnumPorts(real);
    for (const std::string& name : real) {
        EXPECT_NE(name.rfind("pts/", 0), 0u) << name;
    }
}

}  // namespace
