// The link and window tests trust the simulator: its reply bytes, and knobs whose
// failure they would not notice, are pinned here through a plain descriptor. Its
// faults, loader and record are checked by the link tests that use them.
#include "tests/support/module_simulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

const std::string kOk = "\r\nOK\r\n", kError = "\r\nERROR\r\n";
const std::string kMod = "\r\n+MOD:0\r\n" + kOk;

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        fd_ = ::open(sim_.devicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(fd_, 0) << sim_.devicePath();
    }
    void TearDown() override { ::close(fd_); }
    // Sends, then reads until the reply ends with `end` (2 s at most).
    std::string Exchange(const std::string& sent, const std::string& end) {
        EXPECT_EQ(::write(fd_, sent.data(), sent.size()), ssize_t(sent.size()));
        std::string got;
        pollfd entry{fd_, POLLIN, 0};
        char buffer[8192];
        while (!got.ends_with(end) && ::poll(&entry, 1, 2000) > 0) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    ModuleSimulator sim_;
    int fd_ = -1;
};

TEST_F(SimulatorTest, AnswersInTheModulesFormat) {
    const std::pair<std::string, std::string> rows[] = {
        {"+++", kOk},
        {"AT+VER\r\n", "\r\nSW VER:K7R40D_STANDARD_V1.3\r\nOK\r\n"},
        {"AT+MOD?\r\n", kMod},
        {"AT+GMR\r\n", "\r\n+GMR:K7R40D_CLAA_GMR_V1.0.5\r\n" + kOk},
        {"AT+DEI=a b=c\r\n", kOk},
        {"AT+DEI?\r\n", "\r\n+DEI:a b=c\r\n" + kOk},
        {"AT+MOD\r\n", kError},    // a set line without a value
        {"AT+VER=1\r\n", kError},  // query-only command
        {"AT+XYZ?\r\n", kError},
        {"AT+SRS\r\n", kOk},
    };
    for (const auto& [sent, reply] : rows) {
        EXPECT_EQ(Exchange(sent, reply), reply) << "sent " << ::testing::PrintToString(sent);
    }
}

TEST_F(SimulatorTest, RequiredCommandModeTakesLinesOutsideItAsData) {
    sim_.setRequireCommandMode(true);
    EXPECT_EQ(Exchange("AT+MOD?\r\n+++AT+MOD?\r\n", kMod), kOk + kMod);
    // A restart leaves command mode.
    EXPECT_EQ(Exchange("AT+SRS\r\nAT+MOD?\r\n+++", kOk + kOk), kOk + kOk);
    EXPECT_TRUE(sim_.inCommandMode());
}

// Line noise begins with the chosen unit and stands in for every answer from
// then on: garbage per unit, a trickle of '~' at its pace, or a flood of 'Z'.
TEST_F(SimulatorTest, LineNoiseFromAChosenUnitOn) {
    using namespace std::chrono_literals;
    sim_.startNoise(SimNoise::Garbage, "AT+MOD?", 2);
    EXPECT_EQ(Exchange("AT+MOD?\r\n", kMod), kMod) << "the first is still answered";
    EXPECT_EQ(Exchange("AT+MOD?\r\n", "#garbage#"), "#garbage#");
    EXPECT_EQ(Exchange("+++", "#garbage#"), "#garbage#") << "and everything after it";

    sim_.startNoise(SimNoise::Trickle, "", 0, 40ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Exchange("AT\r\n", "~~~~"), "~~~~") << "no answer, only the trickle";
    EXPECT_GE(std::chrono::steady_clock::now() - start, 3 * 40ms) << "a trickle, not a burst";

    sim_.startNoise(SimNoise::Flood, "", 0);
    const std::string flood = Exchange("", std::string(64 * 1024, 'Z'));
    EXPECT_GE(flood.size(), 64u * 1024);
    EXPECT_GE(sim_.noiseBytesSent(), 64u * 1024 + 4);
}
