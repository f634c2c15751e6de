// CSerial over a real pseudo-terminal whose master side the test holds.
#include "link/serial.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <future>
#include <thread>

#include "catalogue/lang_text.h"
#include "tests/link/com_device_fixture.h"
#include "tests/support/pty.h"

using namespace linktest;

// No simulator here to signal a change: the port's queue lives in the kernel,
// so it is polled, within a bound.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds bound = 2000ms) {
    const Clock::time_point end = Clock::now() + bound;
    while (!condition() && Clock::now() < end) std::this_thread::sleep_for(1ms);
    return condition();
}

class SerialTest : public ::testing::Test {
protected:
    void OpenWith(int interval, int constant) {
        app_.WriteSettings(
            "[COM_TIMEOUT_PARAM]\r\nReadIntervalTimeout=" + std::to_string(interval) +
            "\r\nReadTotalTimeoutConstant=" + std::to_string(constant) + "\r\n");
        ASSERT_TRUE(serial_.Open(pty_.portName(), 115200, 8, 0, 0));
    }
    bool Send(const std::string& bytes) {
        return ::write(pty_.masterFd(), bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }
    std::uint32_t Queued() {
        std::uint32_t errors = 0, queued = 0;
        return serial_.ClearCommError(errors, queued) ? queued : 0;
    }
    // Sends and waits until the port holds the bytes.
    void Deliver(const std::string& bytes) {
        const std::uint32_t before = Queued();
        ASSERT_TRUE(Send(bytes) && WaitUntil([&] { return Queued() >= before + bytes.size(); }));
    }

    PseudoTerminal pty_;
    TempAppFolder app_;
    CSerial serial_;
};

TEST_F(SerialTest, EveryLineSettingReachesThePortInRawMode) {
    const int master = pty_.masterFd();
    termios t{};
    ASSERT_EQ(::tcgetattr(master, &t), 0);
    // Cooked first, as a fresh tty is, so that raw mode has to come from Open.
    t.c_lflag |= ICANON | ECHO | ISIG;
    t.c_iflag |= IXON | ICRNL;
    t.c_oflag |= OPOST;
    ASSERT_EQ(::tcsetattr(master, TCSANOW, &t), 0);
    const std::uint32_t rates[] = {600,   1200,  2400,  4800,  9600,  14400,
                                   19200, 38400, 56000, 57600, 115200};
    // A pty forces 8 data bits and no parity enable; the parity kind survives.
    const bool odd[] = {false, true, false, true, false};
    const bool stick[] = {false, false, false, true, true};
    // Every rate, and every combination of data bits, parity and stop bits.
    for (int i = 0; i < 30; ++i) {
        const std::uint32_t baud = rates[i % 11];
        const int dataBits = 6 + i / 10, parity = i / 2 % 5, stopBits = i % 2 * 2;
        const std::string what =
            ::testing::PrintToString(std::tuple(baud, dataBits, parity, stopBits));
        ASSERT_TRUE(serial_.Open(pty_.portName(), baud, dataBits, parity, stopBits)) << what;
        PtyLineSettings line;
        ASSERT_TRUE(ReadPtyLineSettings(master, line));
        EXPECT_EQ(line.baud, baud) << what;
        EXPECT_EQ(line.stopBits, stopBits == 2 ? 2u : 1u) << what;
        EXPECT_EQ(line.parityOdd, odd[parity]) << what;
        EXPECT_EQ(line.parityStick, stick[parity]) << what;
        ASSERT_EQ(::tcgetattr(master, &t), 0);
        EXPECT_TRUE(baud != 9600 || ::cfgetospeed(&t) == B9600) << "a standard rate, as such";
        EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD | CRTSCTS), tcflag_t{CLOCAL | CREAD}) << what;
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << what;
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u) << what;
        EXPECT_EQ(t.c_oflag & OPOST, 0u) << what;
        serial_.Close();
    }
}

// Refusals leave the port closed and unlocked, and say why; a name is never
// cut to another device.
TEST_F(SerialTest, OpenRefusalsSayWhyAndLeaveThePortClosed) {
    const std::string pts = pty_.portName();  // "pts/N"
    struct Row {
        std::string name;
        std::array<int, 4> line;  // baud, data bits, parity, stop bits (1: one and a half)
        OpenError why;
    };
    const std::array<int, 4> good{115200, 8, 0, 0};
    const Row rows[] = {
        {pts, {115200, 8, 0, 1}, OpenError::SettingsRefused},
        {pts, {115200, 6, 0, 1}, OpenError::SettingsRefused},
        {pts, {115200, 9, 0, 0}, OpenError::SettingsRefused},
        {pts, {115200, 8, 5, 0}, OpenError::SettingsRefused},
        {pts, {115200, 8, 0, 3}, OpenError::SettingsRefused},
        {pts, {0, 8, 0, 0}, OpenError::SettingsRefused},
        {"", good, OpenError::NoSuchDevice},
        {"/dev/" + pts, good, OpenError::NoSuchDevice},
        {"../dev/" + pts, good, OpenError::NoSuchDevice},
        {"pts/../" + pts, good, OpenError::NoSuchDevice},
        {"null", good, OpenError::NoSuchDevice},  // a device, but no tty
        {pts + "x", good, OpenError::NoSuchDevice},
    };
    for (const Row& row : rows) {
        const std::string what = row.name + " " + ::testing::PrintToString(row.line);
        const auto& [baud, dataBits, parity, stopBits] = row.line;
        EXPECT_FALSE(serial_.Open(row.name, baud, dataBits, parity, stopBits)) << what;
        EXPECT_FALSE(serial_.IsOpen()) << what;
        EXPECT_EQ(serial_.LastOpenFailure().error, row.why) << what;
    }
    // Longer than a 31-character device path, yet the same device.
    ASSERT_TRUE(serial_.Open("pts" + std::string(30, '/') + pts.substr(4), 115200, 8, 0, 0));
    EXPECT_EQ(serial_.LastOpenFailure().error, OpenError::None);
    EXPECT_FALSE(serial_.OpenHandle(pts)) << "a second open of the same object";
    EXPECT_TRUE(serial_.IsOpen()) << "OpenHandle leaves the open port alone";
    CSerial other;
    EXPECT_FALSE(other.Open(pts, 115200, 8, 0, 0));
    EXPECT_EQ(other.LastOpenFailure().error, OpenError::Busy);
    // Open on an open port fails and closes it: the other one gets the port.
    EXPECT_FALSE(serial_.Open(pts, 115200, 8, 0, 0));
    EXPECT_EQ(serial_.LastOpenFailure().error, OpenError::AlreadyOpen);
    EXPECT_FALSE(serial_.IsOpen());
    EXPECT_TRUE(other.Open(pts, 115200, 8, 0, 0));
}

// The permission a user lacks, seen by a thread that gives up root for
// itself alone (the raw system call changes only the calling thread). The
// log names the group of the node and the command that lets the user in.
TEST_F(SerialTest, PermissionDeniedNamesTheNodesGroup) {
    const group* dialout = ::getgrnam("dialout");
    if (::geteuid() != 0 || dialout == nullptr) GTEST_SKIP() << "needs root and group dialout";
    // Owned as a serial port is: root, group dialout, 0660.
    ASSERT_EQ(::chown(pty_.slavePath().c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(pty_.slavePath().c_str(), 0660), 0);
    // The reason is given in the interface language.
    const std::pair<int, std::string> reasons[] = {
        {1, "permission denied: the port belongs to group dialout; add yourself with "
            "\"sudo usermod -aG dialout $USER\", then log out and in again"},
        {2, "没有权限：该端口属于 dialout 组；用 \"sudo usermod -aG dialout $USER\" "
            "把自己加入该组，然后注销并重新登录"}};
    const int savedLanguage = g_language;
    for (const auto& [language, reason] : reasons) {
        g_language = language;
        LogCapture log;
        CComDevice device;
        OpenFailure failure;
        bool opened = true;
        std::thread stranger([&] {
            const uid_t nobody = 65534;
            if (::syscall(SYS_setresuid, nobody, nobody, nobody) != 0) return;
            opened = device.Open(pty_.portName(), kSimPortSettings);
            failure = device.m_serial.LastOpenFailure();
        });
        stranger.join();
        EXPECT_FALSE(opened);
        EXPECT_EQ(failure.error, OpenError::PermissionDenied);
        EXPECT_EQ(failure.systemError, EACCES);
        const std::vector<std::pair<int, std::string>> lines = {
            {LOG_INFO, "open " + pty_.portName() + " fail"}, {LOG_ERROR, reason}};
        EXPECT_EQ(log.Lines(), lines);
    }
    g_language = savedLanguage;
}

TEST_F(SerialTest, ClosedPortDoesNothing) {
    std::uint8_t buffer[16] = {};
    std::uint32_t errors = 0, queued = 0;
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
}

TEST_F(SerialTest, ReadsEndAtCountQuietGapTotalOr1024Bytes) {
    OpenWith(20, 400);
    std::uint8_t buffer[1024];
    Clock::time_point start = Clock::now();
    EXPECT_EQ(serial_.Read(buffer, 64), 0u);
    EXPECT_GE(MsSince(start), 399) << "silent line: the total time-out";
    EXPECT_LT(MsSince(start), 900);
    start = Clock::now();
    EXPECT_EQ(serial_.ReadAvailable(buffer, sizeof buffer), 0u);
    EXPECT_GE(MsSince(start), 399) << "silent line: one read time-out";
    EXPECT_LT(MsSince(start), 900);
    Deliver("abcdef");
    start = Clock::now();
    EXPECT_EQ(serial_.Read(buffer, 4), 4u);
    EXPECT_LT(MsSince(start), 50) << "count bytes end a read at once";
    EXPECT_EQ(std::string(buffer, buffer + 4), "abcd");
    EXPECT_EQ(serial_.Read(buffer, 64), 2u);
    EXPECT_LT(MsSince(start), 300) << "the quiet gap ends it, long before the total";
    EXPECT_EQ(std::string(buffer, buffer + 2), "ef");
    // A line that never falls quiet: ReadAvailable stops at 1024 bytes, or the size given.
    std::string data(3000, 'A');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = char('A' + i % 26);
    Deliver(data);
    EXPECT_EQ(serial_.ReadAvailable(buffer, sizeof buffer), 1024u);
    EXPECT_EQ(std::string(buffer, buffer + 1024), data.substr(0, 1024));
    EXPECT_EQ(serial_.ReadAvailable(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, buffer + 4), data.substr(1024, 4));
    EXPECT_TRUE(serial_.Purge());
    EXPECT_EQ(Queued(), 0u);
}

// Abort ends a read that waits, and a read that takes what is there at once
// still completes; no byte that an aborted read took is lost.
TEST_F(SerialTest, AbortEndsAPendingReadAndLosesNoByte) {
    OpenWith(0, 10000);
    Deliver("+V");
    std::atomic<std::uint32_t> result{99};
    char buffer[64] = {};
    std::thread worker([&] { result = serial_.Read(buffer, sizeof buffer); });
    EXPECT_TRUE(WaitUntil([&] { return Queued() == 0; })) << "the read never took the bytes";
    const Clock::time_point abortedAt = Clock::now();
    serial_.m_hAbort.Set();
    worker.join();
    EXPECT_EQ(result.load(), 0u);
    EXPECT_LT(MsSince(abortedAt), 200);

    Clock::time_point start = Clock::now();
    EXPECT_EQ(serial_.Read(buffer, sizeof buffer), 0u) << "a read that would wait while set";
    EXPECT_LT(MsSince(start), 200);
    Deliver("ER");
    EXPECT_EQ(serial_.Read(buffer, 4), 4u) << "a read that completes at once while set";
    EXPECT_EQ(std::string(buffer, 4), "+VER");
    start = Clock::now();
    EXPECT_EQ(serial_.ReadTimeout(buffer, 1, 5000), 0u);
    EXPECT_EQ(serial_.ReadAvailable(reinterpret_cast<std::uint8_t*>(buffer), 64), 0u);
    EXPECT_LT(MsSince(start), 200) << "ReadTimeout and ReadAvailable end at once too";
    serial_.m_hAbort.Reset();
}

// A byte now and then keeps ReadAvailable from ever finding the line quiet; a
// Cancel must still end it at once, and the bytes it took stay for the next read.
TEST_F(SerialTest, AbortEndsReadAvailableAmidATrickle) {
    OpenWith(0, 200);
    std::atomic<bool> stop{false};
    std::atomic<int> sent{0};
    std::string expected;
    std::thread trickle([&] {
        while (!stop) {
            Send(std::string(1, char('a' + sent % 26)));
            ++sent;
            std::this_thread::sleep_for(20ms);  // the module's pace, far inside the 200 ms
        }
    });
    std::uint8_t buffer[1024] = {};
    std::future<std::uint32_t> result = std::async(
        std::launch::async, [&] { return serial_.ReadAvailable(buffer, sizeof buffer); });
    EXPECT_TRUE(WaitUntil([&] { return sent >= 10; }));
    const Clock::time_point abortedAt = Clock::now();
    serial_.m_hAbort.Set();
    const bool ended = result.wait_for(1s) == std::future_status::ready;
    const long ms = MsSince(abortedAt);
    stop = true;
    trickle.join();  // without the abort, the line now falls quiet and the read ends
    EXPECT_TRUE(ended) << "the trickle held the read";
    EXPECT_EQ(result.get(), 0u);
    EXPECT_LT(ms, 200);
    serial_.m_hAbort.Reset();
    for (int i = 0; i < sent; ++i) expected += char('a' + i % 26);
    std::string got;
    for (std::uint32_t n = 1; n > 0;) {
        n = serial_.ReadAvailable(buffer, sizeof buffer);
        got.append(buffer, buffer + n);
    }
    EXPECT_EQ(got, expected) << "a byte the aborted read took went missing";
}

TEST_F(SerialTest, ReadTimeoutDropsAReadStillRunningAtItsLimit) {
    OpenWith(50, 5000);
    std::atomic<bool> stop{false};
    std::thread chatter([&] {
        while (!stop) {
            Send("x");
            std::this_thread::sleep_for(5ms);  // never quiet for the 50 ms interval
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
}

TEST_F(SerialTest, WriteEndsAtItsTimeoutWhenNobodyReads) {
    app_.WriteSettings("[COM_TIMEOUT_PARAM]\r\nWriteTotalTimeoutConstant=100\r\n");
    ASSERT_TRUE(serial_.Open(pty_.portName(), 115200, 8, 0, 0));
    const std::vector<char> big(1 << 20, 'x');
    const Clock::time_point start = Clock::now();
    const std::uint32_t written = serial_.Write(big.data(), static_cast<std::uint32_t>(big.size()));
    EXPECT_GE(MsSince(start), 99);
    EXPECT_LT(MsSince(start), 600);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, big.size());
}

TEST_F(SerialTest, HangUpMidReadEndsEveryOperationAtOnce) {
    OpenWith(0, 10000);
    std::atomic<std::uint32_t> result{99};
    char buffer[64];
    std::thread worker([&] { result = serial_.Read(buffer, sizeof buffer); });
    const Clock::time_point start = Clock::now();
    pty_.close();  // the adapter is pulled
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
