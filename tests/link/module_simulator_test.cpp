// The simulator's own behaviour that the link and UI tests rely on, checked
// through a plain descriptor on the slave side of its pseudo-terminal.

#include "tests/support/module_simulator.h"

#include "tests/support/sim_at_table.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Fault = ModuleSimulator::Fault;

// Shows control bytes, so that a failing comparison of replies is readable.
std::string Visible(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The tool's side of the port, reduced to what these tests need.
class Client {
public:
    explicit Client(const std::string& path) {
        m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd >= 0) {
            termios tio{};
            ::tcgetattr(m_fd, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~Client() { close(); }
    void close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    int fd() const { return m_fd; }

    void send(const std::string& bytes) {
        ASSERT_EQ(::write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Reads until done(all read so far) holds or bound passes; returns what came.
    // Each chunk's arrival time is kept in arrivals.
    std::string readUntil(const std::function<bool(const std::string&)>& done,
                          std::chrono::milliseconds bound = 2000ms) {
        std::string text;
        const auto deadline = Clock::now() + bound;
        while (!done(text)) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) break;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            char buf[8192];
            ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0) break;
            text.append(buf, static_cast<std::size_t>(n));
            arrivals.push_back(Clock::now());
        }
        return text;
    }
    std::string readUntilEnd(const std::string& end, std::chrono::milliseconds bound = 2000ms) {
        return readUntil([&](const std::string& t) { return EndsWith(t, end); }, bound);
    }

    std::vector<Clock::time_point> arrivals;

private:
    int m_fd = -1;
};

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kModReply = "\r\n+MOD:0\r\n\r\nOK\r\n";
const std::string kDblReply = "\r\n+DBL:0\r\n\r\nOK\r\n";

class ModuleSimulatorTest : public ::testing::Test {
protected:
    ModuleSimulator sim;
    Client client{sim.devicePath()};

    // Sends one unit and returns its reply, which must end with `end`.
    std::string exchange(const std::string& line, const std::string& end) {
        client.send(line);
        return client.readUntilEnd(end);
    }
};

TEST_F(ModuleSimulatorTest, PortNameIsTheSlaveBelowDev) {
    ASSERT_GE(client.fd(), 0) << sim.devicePath();
    EXPECT_EQ("/dev/" + sim.portName(), sim.devicePath());
    EXPECT_EQ(sim.portName().rfind("pts/", 0), 0u) << sim.portName();
}

TEST_F(ModuleSimulatorTest, AnswersEachUnitInTheModulesFormat) {
    struct Row {
        std::string sent;
        std::string reply;
    };
    const Row rows[] = {
        {"+++", kOk},
        {"AT\r\n", kOk},
        {"AT+VER\r\n", "\r\nSW VER:K7R40D_STANDARD_V1.3\r\nOK\r\n"},
        {"AT+MOD?\r\n", kModReply},
        {"at+mod?\r\n", kModReply},
        {"AT+NID?\r", "\r\n+NID:13654\r\n\r\nOK\r\n"},
        {"AT+TYP?\n", "\r\n+TYP:2\r\n\r\nOK\r\n"},
        {"AT+GMR\r\n", "\r\n+GMR:K7R40D_CLAA_GMR_V1.0.5\r\n\r\nOK\r\n"},
        {"AT+LFR=433\r\n", kOk},
        {"AT+LFR?\r\n", "\r\n+LFR:433\r\n\r\nOK\r\n"},
        {"AT+DEI=a b=c\r\n", kOk},
        {"AT+DEI?\r\n", "\r\n+DEI:a b=c\r\n\r\nOK\r\n"},
        {"AT+SAV\r\n", kOk},
        {"AT+MOD\r\n", kError},      // a parameter's set line needs a value
        {"AT+VER=1\r\n", kError},    // query-only command
        {"AT+SRS=1\r\n", kError},    // restart takes no value
        {"AT+XYZ?\r\n", kError},
        {"hello\r\n", kError},
        {"AT+FAC\r\n", kOk},
        {"AT+SRS\r\n", kOk},
    };
    for (const Row& row : rows) {
        std::string got = exchange(row.sent, row.reply);
        EXPECT_EQ(got, row.reply) << "sent " << Visible(row.sent) << "\n expected "
                                  << Visible(row.reply) << "\n got " << Visible(got);
    }
}

TEST_F(ModuleSimulatorTest, EveryQueryOfTheCommandTableIsAnsweredWithItsTag) {
    int count = 0;
    const SimAtRow* rows = SimAtRows(count);
    ASSERT_EQ(count, 48);
    for (int i = 0; i < count; ++i) {
        if (rows[i].queryCmd[0] == '\0') continue;
        std::string line = std::string("AT") + rows[i].queryCmd + "\r\n";
        std::string got = exchange(line, kOk);
        std::string head = std::string("\r\n") + rows[i].replyTag + ":";
        EXPECT_EQ(got.rfind(head, 0), 0u) << Visible(line) << " -> " << Visible(got);
        EXPECT_TRUE(EndsWith(got, kOk)) << Visible(line) << " -> " << Visible(got);
    }
}

TEST_F(ModuleSimulatorTest, KeepsValuesUntilRestartUnlessSaved) {
    exchange("AT+LFR=433\r\n", kOk);
    EXPECT_EQ(sim.value("AT_LFR"), "433");
    EXPECT_EQ(sim.savedValue("+LFR"), "470");

    exchange("AT+SRS\r\n", kOk);  // unsaved value lost
    EXPECT_EQ(sim.value("+LFR"), "470");
    EXPECT_EQ(sim.restartCount(), 1);

    exchange("AT+LFR=433\r\n", kOk);
    exchange("AT+SAV\r\n", kOk);
    exchange("AT+SRS\r\n", kOk);
    EXPECT_EQ(sim.value("+LFR"), "433");
    EXPECT_EQ(sim.saveCount(), 1);

    sim.setValue("AT_NID", "77");
    EXPECT_EQ(exchange("AT+NID?\r\n", kOk), "\r\n+NID:77\r\n\r\nOK\r\n");

    exchange("AT+FAC\r\n", kOk);
    EXPECT_EQ(sim.value("+LFR"), "470");
    EXPECT_EQ(sim.savedValue("+NID"), "13654");
    EXPECT_EQ(sim.factoryCount(), 1);
}

TEST_F(ModuleSimulatorTest, BothDeviceTypeKeysShareOneValue) {
    sim.setValue("AT_LRWAN_TYP", "1");
    EXPECT_EQ(sim.value("AT_YTP"), "1");
    ModuleSimulator::Identity lrwan;
    lrwan.flavour = "LRWAN";
    sim.setIdentity(lrwan);
    EXPECT_EQ(sim.value("+TYP"), "0");
    EXPECT_EQ(exchange("AT+VER\r\n", kOk), "\r\nSW VER:K7R40D_LRWAN_V1.3\r\nOK\r\n");
}

TEST_F(ModuleSimulatorTest, IdentityBuildsTheVersionText) {
    ModuleSimulator::Identity id;
    id.model = "T";
    id.band = "E";
    id.flavour = "LRWAN";
    id.version = "V2";
    id.suffix = "CLAA";
    EXPECT_EQ(id.versionText(), "K7R40T-E_CLAA_LRWAN_V2.3");
    sim.setVersionReply("k7r40d_std_v2");
    EXPECT_EQ(exchange("AT+VER\r\n", kOk), "\r\nSW VER:k7r40d_std_v2\r\nOK\r\n");
}

// Each fault hits one reply to AT+MOD?; the reply to the next line (AT+DBL?)
// must follow unharmed, which also shows that Silence sent nothing at all.
TEST_F(ModuleSimulatorTest, FaultsShapeOneReply) {
    sim.setGarbage("\xFF%s%n\x07");
    sim.setOverLongSize(5000);
    const std::string overLong =
        "\r\n+MOD:" + std::string(5000 - 7 - 8, '7') + "\r\n" + kOk;
    struct Row {
        const char* name;
        Fault fault;
        std::string reply;
    };
    const Row rows[] = {
        {"silence", Fault::Silence, ""},
        {"error", Fault::Error, kError},
        {"no marker", Fault::NoMarker, "\r\n+MOD:0\r\n"},
        {"garbage", Fault::Garbage, "\xFF%s%n\x07"},
        {"over-long", Fault::OverLong, overLong},
        {"split", Fault::Split, kModReply},
    };
    sim.setSplit(0, 50ms);
    for (const Row& row : rows) {
        sim.setFault(row.fault, "AT+MOD?", 1);
        client.send("AT+MOD?\r\n");
        client.send("AT+DBL?\r\n");
        std::string got = client.readUntilEnd(kDblReply);
        std::string expected = row.reply + kDblReply;
        EXPECT_EQ(got, expected) << row.name << ": expected " << Visible(expected).substr(0, 200)
                                 << "\n got " << Visible(got).substr(0, 200);
    }
    EXPECT_EQ(overLong.size(), 5000u);
}

TEST_F(ModuleSimulatorTest, NoMarkerOnABareAcknowledgementLeavesTheWordOnly) {
    sim.setFault(Fault::NoMarker, "+++", 1);
    client.send("+++");
    client.send("AT+DBL?\r\n");
    EXPECT_EQ(Visible(client.readUntilEnd(kDblReply)), Visible("OK" + kDblReply));
}

TEST_F(ModuleSimulatorTest, SplitReplyPausesBetweenItsHalves) {
    sim.setSplit(5, 200ms);
    sim.setFault(Fault::Split, "AT+MOD?");
    client.send("AT+MOD?\r\n");
    ASSERT_EQ(client.readUntilEnd(kModReply), kModReply);
    ASSERT_EQ(client.arrivals.size(), 2u);
    EXPECT_GE(client.arrivals[1] - client.arrivals[0], 180ms);
    std::vector<ModuleSimulator::Sent> sent = sim.sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, kModReply.substr(0, 5));
    EXPECT_GE(sent[1].at - sent[0].at, 200ms);
}

TEST_F(ModuleSimulatorTest, SlowReplyStartsAfterTheDelay) {
    sim.setReplyDelay(150ms);
    const auto before = Clock::now();
    EXPECT_EQ(exchange("AT+MOD?\r\n", kModReply), kModReply);
    EXPECT_GE(Clock::now() - before, 150ms);
    std::vector<ModuleSimulator::Received> received = sim.received();
    std::vector<ModuleSimulator::Sent> sent = sim.sent();
    ASSERT_EQ(received.size(), 1u);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_GE(sent[0].at - received[0].at, 150ms);
}

TEST_F(ModuleSimulatorTest, RejectedSetLineAnswersErrorAndKeepsTheValue) {
    sim.rejectSet("AT_LFR");
    EXPECT_EQ(exchange("AT+LFR=433\r\n", kError), kError);
    EXPECT_EQ(sim.value("+LFR"), "470");
    EXPECT_EQ(exchange("AT+LFR?\r\n", kOk), "\r\n+LFR:470\r\n\r\nOK\r\n");
    EXPECT_EQ(exchange("AT+MOD=1\r\n", kOk), kOk);
}

TEST_F(ModuleSimulatorTest, CommandModeAcknowledgedOnlyAfterIgnoredTries) {
    sim.ackCommandModeAfter(2);
    for (int i = 1; i <= 2; ++i) {
        client.send("+++");
        ASSERT_TRUE(sim.waitForReceived("+++", i, 2000ms));
        EXPECT_FALSE(sim.inCommandMode());
    }
    client.send("+++");
    client.send("AT+DBL?\r\n");
    EXPECT_EQ(Visible(client.readUntilEnd(kDblReply)), Visible(kOk + kDblReply));
    EXPECT_TRUE(sim.inCommandMode());
}

TEST_F(ModuleSimulatorTest, RequiredCommandModeIgnoresLinesBeforePlusPlusPlus) {
    sim.setRequireCommandMode(true);
    client.send("AT+MOD?\r\n");
    client.send("+++");
    client.send("AT+MOD?\r\n");
    EXPECT_EQ(Visible(client.readUntilEnd(kModReply)), Visible(kOk + kModReply));
    exchange("AT+SRS\r\n", kOk);
    EXPECT_FALSE(sim.inCommandMode());
}

TEST_F(ModuleSimulatorTest, RecordsUnitsWithTheirTimes) {
    const auto before = Clock::now();
    client.send("junk");  // dropped when "+++" comes without a line end in between
    client.send("+++");
    client.readUntilEnd(kOk);
    client.send("AT+MOD?\r");
    ASSERT_TRUE(sim.waitForReceived("AT+MOD?\r"));
    client.send("\n");  // the line end's second half in a read of its own
    client.send("AT+DBL?\r\n");
    client.readUntilEnd(kDblReply);

    std::vector<ModuleSimulator::Received> units = sim.received();
    ASSERT_EQ(units.size(), 4u);
    EXPECT_EQ(units[0].unit, ModuleSimulator::Unit::Discarded);
    EXPECT_EQ(units[0].bytes, "junk");
    EXPECT_EQ(sim.receivedLines(), (std::vector<std::string>{"+++", "AT+MOD?\r\n", "AT+DBL?\r\n"}));
    for (std::size_t i = 0; i < units.size(); ++i) {
        EXPECT_GE(units[i].at, before);
        if (i > 0) {
            EXPECT_GE(units[i].at, units[i - 1].at);
        }
    }
    EXPECT_EQ(sim.sentText(), kOk + kModReply + kDblReply);
    sim.clearRecord();
    EXPECT_TRUE(sim.received().empty());
    EXPECT_TRUE(sim.sent().empty());
}

TEST_F(ModuleSimulatorTest, HangUpIsSeenByTheClient) {
    sim.hangUp();
    EXPECT_TRUE(sim.isHungUp());
    pollfd p{client.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(p.revents & POLLHUP) << p.revents;
    char c;
    EXPECT_LE(::read(client.fd(), &c, 1), 0);
    EXPECT_NE(::access(sim.devicePath().c_str(), F_OK), 0) << "device node still there";
    EXPECT_FALSE(sim.lineSettings().has_value());
}

TEST_F(ModuleSimulatorTest, SurvivesClientsComingAndGoingWithoutSpinning) {
    EXPECT_EQ(exchange("AT+MOD?\r\n", kModReply), kModReply);
    client.close();

    timespec cpuBefore{}, cpuAfter{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuBefore);
    ::poll(nullptr, 0, 200);  // a master without a slave reports a hang-up on every poll
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuAfter);
    double cpuMs = (cpuAfter.tv_sec - cpuBefore.tv_sec) * 1e3 +
                   (cpuAfter.tv_nsec - cpuBefore.tv_nsec) / 1e6;
    EXPECT_LT(cpuMs, 40.0);

    Client again(sim.devicePath());
    ASSERT_GE(again.fd(), 0);
    again.send("AT+DBL?\r\n");
    EXPECT_EQ(again.readUntilEnd(kDblReply), kDblReply);
}

TEST_F(ModuleSimulatorTest, ReportsTheLineSettingsTheClientSet) {
    termios tio{};
    ASSERT_EQ(::tcgetattr(client.fd(), &tio), 0);
    ::cfsetspeed(&tio, B9600);
    tio.c_cflag |= CSTOPB | PARENB | PARODD;
    ASSERT_EQ(::tcsetattr(client.fd(), TCSANOW, &tio), 0);
    std::optional<ModuleSimulator::LineSettings> settings = sim.lineSettings();
    ASSERT_TRUE(settings.has_value());
    EXPECT_EQ(settings->baud, 9600u);
    EXPECT_EQ(settings->stopBits, 2u);
    EXPECT_TRUE(settings->parityOdd);
    EXPECT_FALSE(settings->parityStick);
}

std::string Frame(const std::string& payload, bool last, int checksumError = 0) {
    std::string frame = "\x02";
    frame += static_cast<char>(payload.size() >> 8);
    frame += static_cast<char>(payload.size() & 0xFF);
    frame += payload;
    frame += static_cast<char>(SimSum8(payload) + checksumError);
    frame += last ? '\x03' : '\x17';
    return frame;
}

TEST(SimFrame, ChecksumAndFraming) {
    EXPECT_EQ(SimSum8(std::string("\xFF\x02", 2)), 0x01);
    EXPECT_EQ(SimSum8(""), 0);
    std::string in = Frame("abc", false) + "\x02\x00";
    SimFrame frame;
    ASSERT_EQ(TakeSimFrame(in, frame), SimFrameParse::Complete);
    EXPECT_EQ(frame.payload, "abc");
    EXPECT_EQ(frame.end, 0x17);
    EXPECT_EQ(TakeSimFrame(in, frame), SimFrameParse::NeedMore);
    std::string notFrame = "+++";
    EXPECT_EQ(TakeSimFrame(notFrame, frame), SimFrameParse::NotAFrame);
    EXPECT_EQ(notFrame, "+++");
}

class LoaderTest : public ModuleSimulatorTest {
protected:
    void handshake(const std::string& ready = "PFF-") {
        client.send("P");
        ASSERT_EQ(client.readUntilEnd(ready), ready);
        client.send("\x06");
    }
};

TEST_F(LoaderTest, ReceivesFramesAcknowledgesAllButTheLast) {
    std::string image(10000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
    handshake();
    for (std::size_t pos = 0; pos < image.size(); pos += 4096) {
        std::string payload = image.substr(pos, 4096);
        bool last = pos + 4096 > image.size();
        // The header, payload and trailer in writes of their own, as the tool sends them.
        std::string frame = Frame(payload, last);
        client.send(frame.substr(0, 3));
        client.send(frame.substr(3, frame.size() - 5));
        client.send(frame.substr(frame.size() - 2));
        if (!last) {
            EXPECT_EQ(Visible(client.readUntilEnd("\x05")), "\\x05");
        }
    }
    ASSERT_TRUE(sim.waitFor([&] { return sim.loaderComplete(); }, 2000ms));
    EXPECT_TRUE(sim.loaderImage() == image);
    EXPECT_EQ(sim.loaderFrameSizes(), (std::vector<std::size_t>{4096, 4096, 1808}));
    // No answer to the last frame: the next reply is the one to "+++".
    EXPECT_EQ(exchange("+++", kOk), kOk);
}

TEST_F(LoaderTest, BadChecksumIsRefusedAndLeftOutOfTheImage) {
    sim.setLoaderOptions({.nakByte = 0x15});
    handshake();
    client.send(Frame("good", false));
    EXPECT_EQ(Visible(client.readUntilEnd("\x05")), "\\x05");
    client.send(Frame("bad!", false, 1));
    EXPECT_EQ(Visible(client.readUntilEnd("\x15")), "\\x15");
    client.send(Frame("", true));
    ASSERT_TRUE(sim.waitFor([&] { return sim.loaderComplete(); }, 2000ms));
    EXPECT_EQ(sim.loaderImage(), "good");
    std::vector<ModuleSimulator::LoaderFrame> frames = sim.loaderFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_TRUE(frames[0].checksumOk);
    EXPECT_FALSE(frames[1].checksumOk);
    EXPECT_TRUE(frames[2].last);
    EXPECT_EQ(frames[2].length, 0u);
}

TEST_F(LoaderTest, HandshakeKnobs) {
    ModuleSimulator::LoaderOptions options;
    options.ignoreRequests = 2;
    options.splitReady = true;
    options.splitPause = 100ms;
    options.ackByte = 0x06;
    options.answerFrames = 1;
    sim.setLoaderOptions(options);
    for (int i = 1; i <= 2; ++i) {
        client.send("P");
        ASSERT_TRUE(sim.waitForReceived("P", i));
    }
    handshake("PFF-");
    ASSERT_EQ(client.arrivals.size(), 2u);  // "PF", then "F-"
    EXPECT_GE(client.arrivals[1] - client.arrivals[0], 80ms);
    EXPECT_EQ(sim.loaderRequests(), 3);
    client.send(Frame("one", false));
    EXPECT_EQ(Visible(client.readUntilEnd("\x06")), "\\x06");
    client.send(Frame("two", false));  // the loader has fallen silent
    client.send(Frame("", true));
    EXPECT_EQ(exchange("+++", kOk), kOk);
    EXPECT_EQ(sim.loaderImage(), "onetwo");
}

TEST_F(LoaderTest, SilentLoaderNeverAnswers) {
    sim.setLoaderOptions({.answer = false});
    client.send("P");
    client.send("P");
    EXPECT_EQ(exchange("+++", kOk), kOk);
    EXPECT_EQ(sim.loaderRequests(), 2);
    EXPECT_FALSE(sim.loaderStarted());
}

}  // namespace
