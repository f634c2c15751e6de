// The wait dialog and its five jobs against the simulated module over a real
// pseudo-terminal. Every run also checks that the dialog ended by itself, that
// the worker was joined and that exactly one WM_OPERATION_DONE was posted.
#include "ui/wait_dialog.h"

#include <QDeadlineTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "tests/support/log_capture.h"
#include "tests/ui/page_test_support.h"
#include "ui/port_watcher.h"
#include "ui/posted_message.h"

namespace {
using namespace std::chrono_literals;
using Sim = ModuleSimulator;
using Clock = Sim::Clock;

int WorkerThreads() {
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string name;
        count += std::getline(std::ifstream(task.path() / "comm"), name) &&
                 name == CWaitDialog::kWorkerThreadName;
    }
    return count;
}

// Three parameters are enough to see a batch work; full profiles only make every load slower.
const std::string kSmallProfile[] = {"CONFIG_ID_DEVICE_ID", "CONFIG_ID_POWER",
                                     "CONFIG_ID_WORK_MODE", ""};

class WaitDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadDeviceTables(m_device);
        m_device.RegisterVersionParams("", "", "", "", "", kSmallProfile, nullptr);
        // A LoRaWAN module stands for a recognised module that supports nothing.
        m_device.RegisterVersionParams("", "", "LRWAN", "", "", nullptr, kSmallProfile);
    }
    void TearDown() override { m_device.Close(); }
    void Open() {  // a new module on a new port
        m_device.Close();
        m_sim = std::make_unique<Sim>();
        ASSERT_TRUE(OpenOn(m_device, *m_sim));
        m_log.Clear();
    }
    WaitJob Job(int op, std::string file = {}, int blockSize = 4096) {
        WaitJob job;
        job.device = &m_device;
        job.op = op;
        job.filePath = std::move(file);
        job.blockSize = blockSize;
        job.writeValues = {
            {"CONFIG_ID_DEVICE_ID", "99"}, {"CONFIG_ID_POWER", "11"}, {"CONFIG_ID_WORK_MODE", "1"}};
        return job;
    }
    std::string Image(const std::string& bytes, const char* name = "image.bin") {
        std::ofstream(m_settings.file(name), std::ios::binary) << bytes;
        return m_settings.file(name);
    }
    std::string Received() {  // the lines but "+++" the module received, without line ends
        std::string out;
        for (const std::string& line : m_sim->receivedLines()) {
            if (line != "+++") out += (out.empty() ? "" : " ") + line.substr(0, line.size() - 2);
        }
        return out;
    }
    // Runs the dialog; once when() holds, act() (by default a click on Cancel) runs
    // on the UI thread. Gives the dialog's and the job's result, 'message', progress
    // range/steps | info and error lines, and the values read or acknowledged; m_ended
    // is when the dialog ended.
    std::string Run(WaitJob& job, std::function<bool()> when = {}, std::function<void()> act = {},
                    bool cancelBeforeDone = false) {
        CWaitDialog dialog;
        dialog.m_pJob = &job;
        int done = 0, steps = 0;
        long long range = -1;
        bool acted = false;
        const auto cancel = [&] { dialog.Button(IDCANCEL)->click(); };
        dialog.SetMessageObserver([&](PostedMessage& m) {
            if (m.message == WM_OPERATION_DONE && done++ == 0 && cancelBeforeDone) cancel();
            steps += m.message == WM_PROGRESS_STEP;
            if (m.message == WM_PROGRESS_RANGE) range = m.lParam;
        });
        const QDeadlineTimer hang(kHangBound);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (when && !acted && when()) {
                acted = true;
                act ? act() : cancel();
            }
            if (hang.hasExpired()) cancel();
        });
        poll.start(2);
        const int code = dialog.DoModal();
        m_ended = Clock::now();
        EXPECT_FALSE(hang.hasExpired()) << "the dialog was still open after kHangBound";
        // A WM_OPERATION_DONE queued after a cancel, behind whatever else the worker posted.
        EXPECT_TRUE(DrainPostedMessages());
        EXPECT_EQ(done, 1) << "WM_OPERATION_DONE must be posted exactly once";
        // A joined thread may still be listed for a moment while the kernel reaps it.
        EXPECT_TRUE(QTest::qWaitFor([] { return WorkerThreads() == 0; },
                                    static_cast<int>(kHangBound.count())))
            << "the worker must have been joined";
        std::string out = (code == IDOK ? "ok " : "cancel ") + std::to_string(job.result) + " '" +
                          job.message + "' " + std::to_string(range) + "/" + std::to_string(steps);
        for (const auto& [kind, text] : m_log.Lines()) {
            if (kind == LOG_INFO || kind == LOG_ERROR)
                out += (kind == LOG_ERROR ? " | error: " : " | info: ") + text;
        }
        for (const auto& [id, value] :
             job.op == WAIT_OP_WRITE_PARAMS ? job.writtenValues : job.readValues) {
            out += " " + id.substr(10) + "=" + value;
        }
        m_log.Clear();
        return out;
    }

    PageGlobals m_globals{1};
    // A silent module holds a query past the hang bound: only Cancel ends it in time.
    TempAppFolder m_settings{ShortTimeouts(static_cast<int>(kHangBound.count()) + 10000)};
    std::unique_ptr<Sim> m_sim;
    Clock::time_point m_ended;
    CComDevice m_device;
    LogCapture m_log;
};

TEST_F(WaitDialogTest, PortClosedAtStartFailsEveryJobAtOnce) {
    for (int op = WAIT_OP_LOAD_PARAMS; op <= WAIT_OP_RESTORE_FACTORY + 1; ++op) {  // and an unknown
        WaitJob job = Job(op, "/nonexistent");
        EXPECT_EQ(Run(job), "ok 0 'COM closed' -1/0") << "op " << op;
    }
}

// A job against a module prepare() sets up; once cancelWhen() holds, the user clicks
// Cancel (or act() runs). A module that stays silent holds the job until then, so
// the cancel lands where the row says whatever the machine's speed. Then what the
// job gave and what the module received.
TEST_F(WaitDialogTest, JobsToTheirEnd) {
    const int load = WAIT_OP_LOAD_PARAMS, write = WAIT_OP_WRITE_PARAMS, restart = WAIT_OP_RESTART,
              restore = WAIT_OP_RESTORE_FACTORY, upgrade = WAIT_OP_UPGRADE;
    using Prepare = std::function<void(Sim&, WaitJob&)>;
    const Prepare none = [](Sim&, WaitJob&) {};
    const auto fault = [](Sim::Fault fault, const char* prefix) -> Prepare {
        return [=](Sim& s, WaitJob&) { s.setFault(fault, prefix); };
    };
    const auto silence = [&](const char* prefix) { return fault(Sim::Fault::Silence, prefix); };
    const auto file = [](std::string path) -> Prepare {  // refused before the restart too
        return [=](Sim&, WaitJob& j) { j.filePath = path, j.restartFirst = 1; };
    };
    const auto got = [](const char* line) {
        return [=](Sim& s) { return s.countReceived(line) > 0; };
    };
    // When the module's first answer after `line` left it, plus `later`.
    const auto answered = [](const char* line, std::chrono::milliseconds later) {
        return [=](Sim& s) {
            const auto received = s.received();
            const auto asked =
                std::find_if(received.begin(), received.end(),
                             [&](const Sim::Received& r) { return r.bytes == line; });
            if (asked == received.end()) return Clock::time_point{};
            for (const Sim::Sent& answer : s.sent())
                if (answer.at >= asked->at) return answer.at + later;
            return Clock::time_point{};
        };
    };
    const std::string queries = "AT+VER AT+NID? AT+TPR? AT+MOD?",
                      cancelled = "AT+VER AT+NID? AT+TPR?";
    std::string port;
    struct Row {
        const char* name;
        int op;
        Prepare prepare;
        std::function<bool(Sim&)> cancelWhen;  // null: the user never acts
        std::string summary, received;
        std::function<void()> act = {};
        // The dialog must have ended by then: a wait that Cancel did not cut short ends later.
        std::function<Clock::time_point(Sim&)> endsBy = {};
    };
    // clang-format off
    const Row rows[] = {
        {"load", load, [](Sim& s, WaitJob&) { s.setValue("+TPR", "17"); }, nullptr,
         "ok 0 '' 3/3 | info: load params complete DEVICE_ID=13654 POWER=17 WORK_MODE=0", queries},
        {"identification fails", load,
         [](Sim& s, WaitJob&) { s.setVersionReply("SOMETHING ELSE V9"); }, nullptr,
         "ok 0 '' -1/0 | error: 无法识别的版本", "AT+VER"},
        {"empty supported set", load,
         [](Sim& s, WaitJob&) { s.setIdentity({"D", "", "LRWAN", "V1", ""}); }, nullptr,
         "ok 0 '' -1/0 | info: load params terminate", "AT+VER"},
        {"every query fails", load,
         [](Sim& s, WaitJob&) { s.setFault(Sim::Fault::None, "AT+VER");
                                s.setFault(Sim::Fault::Error, "AT+"); },
         nullptr, "ok 0 '' 3/3 | info: load params complete", queries},
        // "+++" never answered: the load and the write end their way, the others do no more.
        {"silent load", load, silence("+++"), got("+++"),
         "cancel 0 '' -1/0 | info: load params terminate", ""},
        {"silent write", write, silence("+++"), got("+++"),
         "cancel 0 '' 3/0 | info: write params complete", "AT+SAV"},
        {"silent restart", restart, silence("+++"), got("+++"), "cancel 0 '' -1/0", ""},
        {"silent restore", restore, silence("+++"), got("+++"), "cancel 0 '' -1/0", ""},
        {"cancel while a query waits", load, silence("AT+TPR?"), got("AT+TPR?\r\n"),
         "cancel 0 '' 3/2 | info: load params complete DEVICE_ID=13654", cancelled},
        {"the device's port removed while a query waits", load, silence("AT+TPR?"),
         got("AT+TPR?\r\n"),
         "cancel 0 'COM closed' 3/2 | info: load params complete DEVICE_ID=13654", cancelled,
         [&] { m_sim->hangUp(); BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, port); }},
        // Sets go in id order; the refused and the cancelled one are not kept; the save is sent.
        {"write: one set refused, one cancelled", write,
         [](Sim& s, WaitJob&) { s.rejectSet("+NID"); s.setFault(Sim::Fault::Silence, "AT+MOD="); },
         got("AT+MOD=1\r\n"), "cancel 0 '' 3/3 | info: write params complete POWER=11",
         "AT+NID=99 AT+TPR=11 AT+MOD=1 AT+SAV"},
        {"nothing to write", write, [](Sim&, WaitJob& j) { j.writeValues.clear(); }, nullptr,
         "ok 0 '' -1/0 | info: write params terminate", ""},
        // The module may restart without answering; a refused restore is a failure.
        {"restart", restart, none, nullptr, "ok 1 '' -1/0", "AT+SRS"},
        {"restart not acknowledged", restart, fault(Sim::Fault::Error, "AT+SRS"), nullptr,
         "ok 1 '' -1/0", "AT+SRS"},
        {"cancel in the 1000 ms pause after a restart", restart, none, got("AT+SRS\r\n"),
         "cancel 1 '' -1/0", "AT+SRS", {}, answered("AT+SRS\r\n", 1000ms)},
        {"restore", restore, none, nullptr, "ok 1 '' -1/0", "AT+FAC"},
        {"restore refused", restore, fault(Sim::Fault::Error, "AT+FAC"), nullptr, "ok 0 '' -1/0",
         "AT+FAC"},
        {"upgrade, missing file", upgrade, file(m_settings.file("missing.bin")), nullptr,
         "ok 0 'Cannot open file' -1/0", ""},
        {"upgrade, empty file", upgrade, file(Image("", "empty.bin")), nullptr, "ok 0 '' -1/0", ""},
        // The second frame is never acknowledged: the transfer waits there for the cancel.
        {"upgrade cancelled during the transfer", upgrade,
         [&](Sim& s, WaitJob& j) {
             s.setLoaderOptions({.answerFrames = 1});
             j.filePath = Image(std::string(4096, 'y')); j.blockSize = 512; },
         [](Sim& s) { return s.loaderFrames().size() >= 2; }, "cancel 0 '' 9/2 | info: send "
         "pos=512 len=512 | info: send pos=1024 len=512 | info: upgrade terminate", ""}};
    // clang-format on
    for (const Row& row : rows) {
        Open();
        port = m_device.m_portName;
        WaitJob job = Job(row.op);
        row.prepare(*m_sim, job);
        const auto when = [&] { return row.cancelWhen(*m_sim); };
        const std::string summary =
            Run(job, row.cancelWhen ? std::function<bool()>(when) : nullptr, row.act);
        EXPECT_EQ(summary, row.summary) << row.name;
        if (row.endsBy) {
            const auto late =
                std::chrono::duration_cast<std::chrono::milliseconds>(m_ended - row.endsBy(*m_sim));
            EXPECT_LT(late.count(), 0) << row.name << ": ended as late as an uncut wait";
        }
        m_sim->waitFor([&] { return Received() == row.received; }, kHangBound);  // a late save
        EXPECT_EQ(Received(), row.received) << row.name;
    }
}

// A short image is one frame; a whole number of blocks ends with an empty frame.
TEST_F(WaitDialogTest, UpgradeSendsTheImageInFrames) {
    const std::tuple<int, int, const char*> rows[] = {
        {10, 4096, "ok 1 '' 1/1 | info: send pos=10 len=10"},
        {8192, 4096,
         "ok 1 '' 3/3 | info: send pos=4096 len=4096 | info: send pos=8192 len=4096 "
         "| info: send pos=8192 len=0"}};
    for (const auto& [size, block, summary] : rows) {
        Open();
        std::string image(static_cast<std::size_t>(size), '\0');
        for (int i = 0; i < size; ++i) image[i] = static_cast<char>(i * 7 + 3);
        WaitJob job = Job(WAIT_OP_UPGRADE, Image(image), block);
        EXPECT_EQ(Run(job), summary + std::string(" | info: upgrade complete"));
        // The last frame is not acknowledged: the module may still be reading it.
        EXPECT_TRUE(m_sim->waitFor([&] { return m_sim->loaderComplete(); }, kHangBound)) << size;
        EXPECT_EQ(m_sim->loaderImage(), image) << size;
    }
}

TEST_F(WaitDialogTest, UpgradeRestartFirstNeedsSixAcknowledgedCommandModes) {
    Open();
    m_sim->ackCommandModeAfter(2);
    WaitJob job = Job(WAIT_OP_UPGRADE, Image(std::string(600, 'x')), 512);
    job.restartFirst = 1;
    EXPECT_EQ(Run(job).substr(0, 11), "ok 1 '' 2/2");
    EXPECT_EQ(m_sim->countReceived("+++"), 8) << "two unanswered, six acknowledged";
    EXPECT_EQ(Received(), "AT+SRS") << "then nothing but the loader";
    EXPECT_TRUE(
        m_sim->waitFor([&] { return m_sim->loaderImage() == std::string(600, 'x'); }, kHangBound));
}

TEST_F(WaitDialogTest, CancelAfterTheWorkerEndedButBeforeItsMessageIsHandled) {
    Open();
    WaitJob job = Job(WAIT_OP_RESTORE_FACTORY);
    EXPECT_EQ(Run(job, {}, {}, true), "cancel 1 '' -1/0") << "the worker had finished";
}

TEST(ProgressTest, RangeIsNotCutTo16Bits) {
    TestApp();
    QProgressBar bar;
    SetProgressRange(&bar, 0, 100000), SetProgressPos(&bar, 70000);
    EXPECT_EQ(GetProgressPos(&bar), 70000);
}
}  // namespace
