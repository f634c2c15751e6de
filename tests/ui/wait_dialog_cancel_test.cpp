// Cancel ends every job promptly at every stage, whatever the module sends:
// nothing, a trickle of bytes, garbage or a flood. The port keeps the
// product's default time-outs but for a shorter quiet gap (50 ms instead of
// 150), which every exchange waits out; the trickle (a byte every 30 ms
// instead of 100) stays quicker than the gap, so it never lets a read fall
// quiet. After the click only the step already under way may still reach the
// module, and the save that a cancelled write always sends.
#include <gtest/gtest.h>

#include "catalogue/log_record.h"
#include "tests/support/log_capture.h"
#include "tests/ui/cancel_stages.h"
#include "tests/ui/page_test_support.h"

namespace {
using namespace std::chrono_literals;

constexpr double kPromptMs = 600;

class CancelTest : public ::testing::TestWithParam<SimNoise> {
protected:
    void SetUp() override {
        std::ofstream(m_image, std::ios::binary) << std::string(64 * 1024, 'i');
    }

    PageGlobals m_globals{1};
    TempAppFolder m_settings{"[COM_TIMEOUT_PARAM]\r\nReadIntervalTimeout=50\r\n"};
    const std::string m_image = m_settings.file("image.bin");
    LogCapture m_log;
};

TEST_P(CancelTest, EveryStageOfEveryJobEndsPromptly) {
    const SimNoise noise = GetParam();
    for (const JobStage& stage : kJobStages) {
        const std::string name =
            std::string(stage.job) + ", " + stage.stage + ", " + NoiseName(noise);
        ModuleSimulator sim;
        ConfiguredDevice device;
        ASSERT_TRUE(OpenOn(device, sim)) << name;
        sim.startNoise(noise, stage.unit, stage.nth, 30ms);
        m_log.Clear();
        WaitJob job = StageJob(device, stage, m_image);
        const CancelResult run = RunAndCancel(
            job, sim, [&] { return NoiseUnderway(sim, noise); }, 0ms, 3000ms);
        // A restore whose line is refused may end by itself before the click.
        if (!run.reached && run.code == IDOK) continue;
        ASSERT_TRUE(run.reached) << name << ": the stage was never reached";
        EXPECT_FALSE(run.hungUp) << name << ": Cancel was deaf until the module hung up";
        EXPECT_LT(run.latencyMs, kPromptMs) << name;
        EXPECT_EQ(run.code, IDCANCEL) << name;
        int others = 0, saves = 0;
        for (const ModuleSimulator::Received& unit : run.afterClick) {
            (unit.bytes == "AT+SAV\r\n" ? saves : others) += 1;
        }
        EXPECT_LE(others, 1) << name << ": more than the step under way went out after Cancel";
        if (stage.op == WAIT_OP_WRITE_PARAMS) {
            EXPECT_EQ(saves, 1) << name << ": a cancelled write still saves";
            EXPECT_EQ(run.afterClick.back().bytes, "AT+SAV\r\n") << name;
            EXPECT_EQ(m_log.Texts(LOG_INFO).back(), "write params complete") << name;
        } else {
            EXPECT_EQ(saves, 0) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LineBehaviours, CancelTest,
                         ::testing::Values(SimNoise::Silence, SimNoise::Trickle, SimNoise::Garbage,
                                           SimNoise::Flood),
                         [](const auto& info) { return std::string(NoiseName(info.param)); });

}  // namespace

// Cancel sets the port's abort event before it stops the worker: from that
// moment on no step may start, even while the worker's flag still says run.
// Here the event alone is set, so each job must wind up by itself.
TEST_F(CancelTest, NoStepStartsOnceTheAbortEventIsSet) {
    for (const JobStage& stage : kJobStages) {
        const std::string name = std::string(stage.job) + ", " + stage.stage;
        ModuleSimulator sim;
        ConfiguredDevice device;
        ASSERT_TRUE(OpenOn(device, sim)) << name;
        sim.startNoise(SimNoise::Silence, stage.unit, stage.nth);
        WaitJob job = StageJob(device, stage, m_image);
        CWaitDialog dialog;
        dialog.m_pJob = &job;
        ModuleSimulator::Clock::time_point setAt{};
        QElapsedTimer sinceSet;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!sinceSet.isValid() && sim.noiseActive()) {
                setAt = ModuleSimulator::Clock::now();
                sinceSet.start();
                device.m_serial.m_hAbort.Set();
            } else if (sinceSet.isValid() && sinceSet.elapsed() > 2000) {
                dialog.Button(IDCANCEL)->click();  // the job went on: end it the usual way
            }
        });
        poll.start(1);
        EXPECT_EQ(dialog.DoModal(), IDOK) << name << ": the job did not wind up by itself";
        device.m_serial.m_hAbort.Reset();
        sim.settle();
        int others = 0;
        for (const ModuleSimulator::Received& unit : sim.received()) {
            others += unit.at >= setAt && unit.bytes != "AT+SAV\r\n";
        }
        EXPECT_LE(others, 1) << name;
    }
}
