// The wait dialog and its five jobs against the module simulator over a real
// pseudo-terminal: outcomes, results, messages and log lines, Cancel at each
// stage and the removal of the device's port. Every run also checks that the
// worker was joined and that exactly one WM_OPERATION_DONE was posted.
#include <dirent.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <gtest/gtest.h>

#include "catalogue/app_directory.h"
#include "catalogue/lang_text.h"
#include "catalogue/log_record.h"
#include "catalogue/product_version.h"
#include "link/com_device.h"
#include "link/version_profiles.h"
#include "tests/support/module_simulator.h"
#include "ui/dialog_result.h"
#include "ui/port_watcher.h"
#include "ui/posted_message.h"
#include "ui/wait_dialog.h"

#include "tests/ui/qt_test_app.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Threads of this process that carry the wait dialog's worker name.
int WorkerThreads() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
            std::string name;
            std::getline(comm, name);
            if (name == CWaitDialog::kWorkerThreadName) ++count;
        }
        closedir(dir);
    }
    return count;
}

struct LogLine {
    int kind;
    std::string text;
};

// Sees the wait dialog's posted messages just before the dialog handles them.
struct MessageRecorder {
    int done = 0;
    int steps = 0;
    long long range = -1;
    std::function<void()> beforeDone;

    void See(const PostedMessage& message) {
        if (message.message == WM_OPERATION_DONE) {
            ++done;
            if (beforeDone) std::exchange(beforeDone, nullptr)();
        }
        if (message.message == WM_PROGRESS_STEP) ++steps;
        if (message.message == WM_PROGRESS_RANGE) range = message.lParam;
    }
};

struct RunResult {
    int code = 0;
    int done = 0;
    int steps = 0;
    long long range = -1;
    bool actionRan = false;
    bool timedOut = false;
    double msFromActionToEnd = -1;
};

// Three parameters are enough to see a batch work; the catalogue's full
// profiles would only make every load slower.
const std::string kSmallProfile[] = {"CONFIG_ID_DEVICE_ID", "CONFIG_ID_POWER", "CONFIG_ID_WORK_MODE",
                                     ""};

class WaitDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TestApp();
        BuildLangTextIndex();
        g_language = 1;
        // A silent query waits 3000 ms: long enough to act while it is
        // pending and to tell a read the abort event ended from a time-out.
        s_folder = fs::temp_directory_path() / ("quorrel_wait_test_" + std::to_string(getpid()));
        fs::create_directories(s_folder);
        std::ofstream ini(s_folder / "ParamCfg.ini");
        ini << "[COM_TIMEOUT_PARAM]\r\nReadIntervalTimeout=50\r\nReadTotalTimeoutConstant=3000\r\n"
            << "[UPGRADE_COM_TIMEOUT_PARAM]\r\nReadTotalTimeoutConstant=300\r\n";
        SetAppDirectoryForTesting(s_folder.string());
    }
    static void TearDownTestSuite() {
        SetAppDirectoryForTesting("");
        fs::remove_all(s_folder);
    }

    void SetUp() override {
        m_device.LoadAtCommands();
        m_device.LoadConfigParams();
        m_device.SetVersionParser(ParseProductVersion);
        m_device.RegisterVersionParams("", "", "", "", "", kSmallProfile, nullptr);
        SetLogSink([this](LogRecord* record) {
            std::lock_guard<std::mutex> lock(m_logMutex);
            m_log.push_back({record->kind, std::string(record->text, record->length)});
            delete record;
        });
    }
    void TearDown() override {
        ClearLogSink();
        m_device.Close();
    }

    void Open() {
        ASSERT_TRUE(m_device.Open(m_sim.portName(), ComPortSettings{115200, 8, 0, 0}));
        std::lock_guard<std::mutex> lock(m_logMutex);
        m_log.clear();
    }

    WaitJob Job(int op) {
        WaitJob job;
        job.device = &m_device;
        job.op = op;
        return job;
    }

    // Runs the dialog modally; once when() holds, action() runs on the UI
    // thread (from the dialog's own event loop).
    RunResult Run(WaitJob& job, std::function<bool()> when = {},
                  std::function<void(CWaitDialog&)> action = {},
                  std::function<void(CWaitDialog&)> beforeDone = {}) {
        RunResult result;
        CWaitDialog dialog;
        dialog.m_pJob = &job;
        MessageRecorder recorder;
        if (beforeDone) recorder.beforeDone = [&] { beforeDone(dialog); };
        dialog.SetMessageObserver([&](PostedMessage& message) { recorder.See(message); });
        QElapsedTimer clock;
        clock.start();
        QElapsedTimer sinceAction;
        QTimer poll;
        poll.setInterval(2);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (action && !result.actionRan && (!when || when())) {
                result.actionRan = true;
                sinceAction.start();
                action(dialog);
            } else if (clock.elapsed() > 15000 && !result.timedOut) {
                result.timedOut = true;
                dialog.Button(IDCANCEL)->click();
            }
        });
        poll.start();
        result.code = dialog.DoModal();
        if (sinceAction.isValid()) result.msFromActionToEnd = sinceAction.nsecsElapsed() / 1e6;
        poll.stop();
        // A WM_OPERATION_DONE still queued after a cancel is delivered here.
        QCoreApplication::sendPostedEvents(&dialog);
        result.done = recorder.done;
        result.steps = recorder.steps;
        result.range = recorder.range;
        EXPECT_FALSE(result.timedOut) << "the dialog did not end by itself";
        EXPECT_EQ(result.done, 1) << "WM_OPERATION_DONE must be posted exactly once";
        EXPECT_EQ(WorkerThreads(), 0) << "the worker must have been joined";
        return result;
    }

    static void ClickCancel(CWaitDialog& dialog) { dialog.Button(IDCANCEL)->click(); }

    std::vector<LogLine> Log() {
        std::lock_guard<std::mutex> lock(m_logMutex);
        return m_log;
    }
    std::vector<std::string> InfoAndErrorLines() {
        std::vector<std::string> lines;
        for (const LogLine& line : Log()) {
            if (line.kind == LOG_INFO || line.kind == LOG_ERROR) lines.push_back(line.text);
        }
        return lines;
    }
    bool Logged(int kind, const std::string& text) {
        for (const LogLine& line : Log()) {
            if (line.kind == kind && line.text == text) return true;
        }
        return false;
    }
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const fs::path path = s_folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    static fs::path s_folder;
    ModuleSimulator m_sim;
    CComDevice m_device;
    std::mutex m_logMutex;
    std::vector<LogLine> m_log;
};

fs::path WaitDialogTest::s_folder;

TEST_F(WaitDialogTest, PortClosedAtStartFailsEveryJobAtOnce) {
    for (int op : std::initializer_list<int>{WAIT_OP_LOAD_PARAMS, WAIT_OP_WRITE_PARAMS, WAIT_OP_UPGRADE, WAIT_OP_RESTART,
                   WAIT_OP_RESTORE_FACTORY, 7}) {
        WaitJob job = Job(op);
        job.writeValues = {{"CONFIG_ID_POWER", "10"}};
        job.filePath = "/nonexistent";
        job.blockSize = 4096;
        const RunResult run = Run(job);
        EXPECT_EQ(run.code, IDOK) << "op " << op;
        EXPECT_EQ(job.result, 0) << "op " << op;
        EXPECT_EQ(job.message, "COM closed") << "op " << op;
        EXPECT_EQ(run.range, -1) << "op " << op;
    }
    EXPECT_TRUE(Log().empty()) << "the worker logs nothing with the port closed";
}

TEST_F(WaitDialogTest, UnknownOperationFailsWithoutMessage) {
    Open();
    WaitJob job = Job(9);
    const RunResult run = Run(job);
    EXPECT_EQ(run.code, IDOK);
    EXPECT_EQ(job.result, 0);
    EXPECT_EQ(job.message, "");
}

TEST_F(WaitDialogTest, LoadReadsEverySupportedValue) {
    m_sim.setValue("AT_NID", "321");
    m_sim.setValue("AT_TPR", "17");
    m_sim.setValue("AT_MOD", "2");
    Open();
    WaitJob job = Job(WAIT_OP_LOAD_PARAMS);
    const RunResult run = Run(job);
    EXPECT_EQ(run.code, IDOK);
    EXPECT_EQ(job.result, 0) << "a load never reports success through result";
    EXPECT_EQ(job.readIds, (std::set<std::string>{kSmallProfile[0], kSmallProfile[1],
                                                  kSmallProfile[2]}));
    const ParamValueMap expected = {{"CONFIG_ID_DEVICE_ID", "321"},
                                    {"CONFIG_ID_POWER", "17"},
                                    {"CONFIG_ID_WORK_MODE", "2"}};
    EXPECT_EQ(job.readValues, expected);
    EXPECT_EQ(run.range, 3);
    EXPECT_EQ(run.steps, 3);
    EXPECT_EQ(InfoAndErrorLines(), std::vector<std::string>{"load params complete"});
    EXPECT_EQ(m_sim.countReceived("AT+GMR\r\n"), 0) << "only CLAA modules are asked AT+GMR";
}

TEST_F(WaitDialogTest, LoadOfClaaModuleAsksForGmr) {
    ModuleSimulator::Identity claa;
    claa.flavour = "CLAA";
    m_sim.setIdentity(claa);
    m_sim.setGmrText("CLAA-GMR-1");
    Open();
    WaitJob job = Job(WAIT_OP_LOAD_PARAMS);
    EXPECT_EQ(Run(job).code, IDOK);
    EXPECT_EQ(m_sim.countReceived("AT+GMR\r\n"), 1);
    EXPECT_EQ(m_device.m_gmrText, "CLAA-GMR-1");
}

TEST_F(WaitDialogTest, LoadOfUnrecognisedModuleLogsTheFixedErrorOnly) {
    m_sim.setVersionReply("SOMETHING ELSE V9");
    Open();
    WaitJob job = Job(WAIT_OP_LOAD_PARAMS);
    const RunResult run = Run(job);
    EXPECT_EQ(run.code, IDOK);
    EXPECT_EQ(job.result, 0);
    EXPECT_TRUE(job.readValues.empty());
    EXPECT_EQ(run.range, -1);
    EXPECT_EQ(InfoAndErrorLines(), std::vector<std::string>{"无法识别的版本"});
    EXPECT_TRUE(Logged(LOG_ERROR, "无法识别的版本"));
}

TEST_F(WaitDialogTest, LoadWithEmptySupportedSetTerminates) {
    CComDevice bare;  // no profiles: a recognised module supports nothing
    bare.LoadAtCommands();
    bare.LoadConfigParams();
    bare.SetVersionParser(ParseProductVersion);
    ASSERT_TRUE(bare.Open(m_sim.portName(), ComPortSettings{115200, 8, 0, 0}));
    WaitJob job = Job(WAIT_OP_LOAD_PARAMS);
    job.device = &bare;
    const RunResult run = Run(job);
    EXPECT_EQ(run.code, IDOK);
    EXPECT_EQ(job.result, 0);
    EXPECT_EQ(run.range, -1) << "no progress range without requests";
    EXPECT_EQ(m_sim.countReceived("AT+VER\r\n"), 1);
    for (const std::string& line : m_sim.receivedLines()) {
        EXPECT_TRUE(line == "+++" || line == "AT+VER\r\n") << "unexpected line " << line;
    }
    EXPECT_TRUE(Logged(LOG_INFO, "load params terminate"));
    EXPECT_FALSE(Logged(LOG_INFO, "load params complete"));
    bare.Close();
}

TEST_F(WaitDialogTest, LoadWhoseQueriesAllFailStillStepsAndCompletes) {
    m_sim.setFault(ModuleSimulator::Fault::None, "AT+VER");
    m_sim.setFault(ModuleSimulator::Fault::Error, "AT+");
    Open();
    WaitJob job = Job(WAIT_OP_LOAD_PARAMS);
    const RunResult run = Run(job);
    EXPECT_EQ(run.code, IDOK);
    EXPECT_TRUE(job.readValues.empty());
    EXPECT_EQ(run.range, 3);
    EXPECT_EQ(run.steps, 3);
    EXPECT_TRUE(Logged(LOG_INFO, "load params complete"));
}

TEST_F(WaitDialogTest, SilentModuleRunsUntilCancelled) {
    // What each job leaves behind when "+++" is never answered and the user
    // cancels: the load and the write still end their way, the others do
    // nothing more.
    struct Row {
        int op;
        std::vector<std::string> log;
        bool sendsSave;
    };
    const Row rows[] = {
        {WAIT_OP_LOAD_PARAMS, {"load params terminate"}, false},
        {WAIT_OP_WRITE_PARAMS, {"write params complete"}, true},
        {WAIT_OP_RESTART, {}, false},
        {WAIT_OP_RESTORE_FACTORY, {}, false},
    };
    m_sim.setFault(ModuleSimulator::Fault::Silence, "+++");
    Open();
    for (const Row& row : rows) {
        m_sim.clearRecord();
        {
            std::lock_guard<std::mutex> lock(m_logMutex);
            m_log.clear();
        }
        WaitJob job = Job(row.op);
        job.writeValues = {{"CONFIG_ID_POWER", "10"}};
        const RunResult run =
            Run(job, [&] { return m_sim.countReceived("+++") >= 2; }, ClickCancel);
        EXPECT_EQ(run.code, IDCANCEL) << "op " << row.op;
        EXPECT_EQ(job.result, 0) << "op " << row.op;
        EXPECT_EQ(InfoAndErrorLines(), row.log) << "op " << row.op;
        EXPECT_EQ(m_sim.countReceived("AT+VER\r\n"), 0) << "op " << row.op;
        // The simulator may read the save line a moment after the dialog closed.
        if (row.sendsSave) {
            EXPECT_TRUE(m_sim.waitForReceived("AT+SAV\r\n", 1, 2000ms)) << "op " << row.op;
        } else {
            EXPECT_EQ(m_sim.countReceived("AT+SAV\r\n"), 0) << "op " << row.op;
        }
        EXPECT_EQ(m_sim.countReceived("AT+TPR=10\r\n"), 0) << "op " << row.op;
        EXPECT_LT(run.msFromActionToEnd, 1000) << "op " << row.op << ": at most one \"+++\" try";
    }
}

TEST_F(WaitDialogTest, CancelWhileAQueryWaitsEndsAtOnce) {
    m_sim.setFault(ModuleSimulator::Fault::Silence, "AT+TPR?");
    Open();
    WaitJob job = Job(WAIT_OP_LOAD_PARAMS);
    const RunResult run =
        Run(job, [&] { return m_sim.countReceived("AT+TPR?\r\n") == 1; }, ClickCancel);
    EXPECT_EQ(run.code, IDCANCEL);
    EXPECT_LT(run.msFromActionToEnd, 1500) << "the abort event ends the pending read (time-out 3000 ms)";
    EXPECT_EQ(m_sim.countReceived("AT+MOD?\r\n"), 0) << "no query after the cancel";
    EXPECT_TRUE(Logged(LOG_INFO, "load params complete"));
    EXPECT_EQ(job.readValues.count("CONFIG_ID_POWER"), 0u);
}

TEST_F(WaitDialogTest, WriteCancelledMidwayKeepsOnlyAcknowledgedSetsAndStillSaves) {
    // The second set (by id order: DEVICE_ID, POWER, WORK_MODE) gets no
    // answer, and the user cancels while it waits.
    m_sim.setFault(ModuleSimulator::Fault::Silence, "AT+TPR=");
    Open();
    WaitJob job = Job(WAIT_OP_WRITE_PARAMS);
    job.writeValues = {{"CONFIG_ID_DEVICE_ID", "99"},
                       {"CONFIG_ID_POWER", "11"},
                       {"CONFIG_ID_WORK_MODE", "1"}};
    const RunResult run =
        Run(job, [&] { return m_sim.countReceived("AT+TPR=11\r\n") == 1; }, ClickCancel);
    EXPECT_EQ(run.code, IDCANCEL);
    EXPECT_EQ(job.writtenValues, (ParamValueMap{{"CONFIG_ID_DEVICE_ID", "99"}}));
    EXPECT_EQ(m_sim.countReceived("AT+MOD=1\r\n"), 0) << "no set after the cancel";
    ASSERT_TRUE(m_sim.waitForReceived("AT+SAV\r\n", 1, 2000ms));
    EXPECT_EQ(run.range, 3);
    EXPECT_TRUE(Logged(LOG_INFO, "write params complete"));
}

TEST_F(WaitDialogTest, WriteRecordsOnlyAcknowledgedSets) {
    m_sim.rejectSet("AT_TPR");
    Open();
    WaitJob job = Job(WAIT_OP_WRITE_PARAMS);
    job.writeValues = {{"CONFIG_ID_DEVICE_ID", "99"}, {"CONFIG_ID_POWER", "11"}};
    const RunResult run = Run(job);
    EXPECT_EQ(run.code, IDOK);
    EXPECT_EQ(job.result, 0);
    EXPECT_EQ(job.writtenValues, (ParamValueMap{{"CONFIG_ID_DEVICE_ID", "99"}}));
    EXPECT_EQ(run.steps, 2);
    EXPECT_EQ(m_sim.saveCount(), 1);
    EXPECT_EQ(m_sim.savedValue("AT_NID"), "99");
}

TEST_F(WaitDialogTest, WriteWithNothingToWriteTerminates) {
    Open();
    WaitJob job = Job(WAIT_OP_WRITE_PARAMS);
    const RunResult run = Run(job);
    EXPECT_EQ(run.code, IDOK);
    EXPECT_EQ(InfoAndErrorLines(), std::vector<std::string>{"write params terminate"});
    EXPECT_TRUE(m_sim.receivedLines().empty());
}

TEST_F(WaitDialogTest, RestartAndFactoryRestoreResults) {
    struct Row {
        int op;
        const char* line;
        bool refused;
        int result;
    };
    const Row rows[] = {
        {WAIT_OP_RESTART, "AT+SRS\r\n", false, 1},
        {WAIT_OP_RESTART, "AT+SRS\r\n", true, 1},  // the module may restart without answering
        {WAIT_OP_RESTORE_FACTORY, "AT+FAC\r\n", false, 1},
        {WAIT_OP_RESTORE_FACTORY, "AT+FAC\r\n", true, 0},
    };
    Open();
    for (const Row& row : rows) {
        m_sim.clearFaults();
        m_sim.clearRecord();
        if (row.refused) m_sim.setFault(ModuleSimulator::Fault::Error, row.line);
        WaitJob job = Job(row.op);
        const RunResult run = Run(job);
        const std::string where = std::string(row.line) + (row.refused ? " refused" : " accepted");
        EXPECT_EQ(run.code, IDOK) << where;
        EXPECT_EQ(job.result, row.result) << where;
        EXPECT_EQ(m_sim.countReceived("+++"), 6) << where << ": six acknowledged \"+++\"";
        EXPECT_EQ(m_sim.countReceived(row.line), 1) << where;
        EXPECT_EQ(run.range, -1) << where;
    }
}

TEST_F(WaitDialogTest, CancelDuringThePauseAfterARestartEndsAtOnce) {
    Open();
    WaitJob job = Job(WAIT_OP_RESTART);
    const RunResult run = Run(
        job, [&] { return m_sim.countReceived("AT+SRS\r\n") == 1 && !m_sim.sent().empty(); },
        ClickCancel);
    EXPECT_EQ(run.code, IDCANCEL);
    EXPECT_LT(run.msFromActionToEnd, 800) << "the 1000 ms pause is cut short";
}

TEST_F(WaitDialogTest, UpgradeRefusesMissingEmptyAndUnreadableImages) {
    struct Row {
        std::string path;
        std::string message;
    };
    const Row rows[] = {
        {(s_folder / "missing.bin").string(), "Cannot open file"},
        {WriteFile("empty.bin", ""), ""},
        {s_folder.string(), "Cannot open file"},  // a folder is no image
    };
    Open();
    for (const Row& row : rows) {
        WaitJob job = Job(WAIT_OP_UPGRADE);
        job.filePath = row.path;
        job.blockSize = 4096;
        job.restartFirst = 1;
        const RunResult run = Run(job);
        EXPECT_EQ(run.code, IDOK) << row.path;
        EXPECT_EQ(job.result, 0) << row.path;
        EXPECT_EQ(job.message, row.message) << row.path;
        EXPECT_EQ(run.range, -1) << row.path;
    }
    EXPECT_TRUE(m_sim.receivedLines().empty()) << "nothing is sent for a refused image";
    EXPECT_EQ(m_sim.loaderRequests(), 0);
}

TEST_F(WaitDialogTest, UpgradeSendsTheImageInFrames) {
    struct Row {
        int size;
        int block;
        long long frames;
    };
    const Row rows[] = {{10, 4096, 1}, {8192, 4096, 3}, {8193, 4096, 3}, {1100, 512, 3}};
    Open();
    for (const Row& row : rows) {
        m_sim.resetLoader();
        std::string image(static_cast<std::size_t>(row.size), '\0');
        for (int i = 0; i < row.size; ++i) image[i] = static_cast<char>(i * 7 + 3);
        WaitJob job = Job(WAIT_OP_UPGRADE);
        job.filePath = WriteFile("image.bin", image);
        job.blockSize = row.block;
        const RunResult run = Run(job);
        const std::string where = std::to_string(row.size) + " bytes in blocks of " +
                                  std::to_string(row.block);
        EXPECT_EQ(run.code, IDOK) << where;
        EXPECT_EQ(job.result, 1) << where;
        EXPECT_EQ(run.range, row.frames) << where;
        EXPECT_EQ(run.steps, row.frames) << where;
        // The last frame is not acknowledged: the module may still be reading it.
        EXPECT_TRUE(m_sim.waitFor([&] { return m_sim.loaderComplete(); }, 2000ms)) << where;
        EXPECT_EQ(m_sim.loaderImage(), image) << where;
        EXPECT_EQ(static_cast<long long>(m_sim.loaderFrames().size()), row.frames) << where;
    }
}

TEST_F(WaitDialogTest, UpgradeRestartFirstNeedsSixAcknowledgedCommandModes) {
    m_sim.ackCommandModeAfter(2);
    Open();
    WaitJob job = Job(WAIT_OP_UPGRADE);
    job.filePath = WriteFile("image.bin", std::string(600, 'x'));
    job.blockSize = 512;
    job.restartFirst = 1;
    const RunResult run = Run(job);
    EXPECT_EQ(run.code, IDOK);
    EXPECT_EQ(job.result, 1);
    const std::vector<std::string> lines = m_sim.receivedLines();
    const auto restart = std::find(lines.begin(), lines.end(), "AT+SRS\r\n");
    ASSERT_NE(restart, lines.end());
    EXPECT_EQ(std::count(lines.begin(), restart, "+++"), 8) << "two unanswered, then six acknowledged";
    EXPECT_EQ(restart + 1, lines.end()) << "nothing but the loader after the restart line";
    EXPECT_TRUE(m_sim.waitFor([&] { return m_sim.loaderComplete(); }, 2000ms));
    EXPECT_EQ(m_sim.loaderImage(), std::string(600, 'x'));
}

TEST_F(WaitDialogTest, UpgradeCancelledDuringTheTransferStopsIt) {
    ModuleSimulator::LoaderOptions slow;
    slow.ackDelay = 150ms;
    m_sim.setLoaderOptions(slow);
    Open();
    WaitJob job = Job(WAIT_OP_UPGRADE);
    job.filePath = WriteFile("image.bin", std::string(512 * 8, 'y'));
    job.blockSize = 512;
    const RunResult run =
        Run(job, [&] { return m_sim.loaderFrames().size() >= 2; }, ClickCancel);
    EXPECT_EQ(run.code, IDCANCEL);
    EXPECT_EQ(job.result, 0);
    EXPECT_FALSE(m_sim.loaderComplete());
}

TEST_F(WaitDialogTest, RemovalOfTheDevicesPortStopsTheJob) {
    m_sim.setFault(ModuleSimulator::Fault::Silence, "AT+TPR?");
    Open();
    WaitJob job = Job(WAIT_OP_LOAD_PARAMS);
    const std::string port = m_device.m_portName;
    const RunResult run = Run(
        job, [&] { return m_sim.countReceived("AT+TPR?\r\n") == 1; },
        [&](CWaitDialog&) {
            m_sim.hangUp();
            BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, port);
        });
    EXPECT_EQ(run.code, IDCANCEL);
    EXPECT_EQ(job.message, "COM closed");
    EXPECT_EQ(m_sim.countReceived("AT+MOD?\r\n"), 0);
}

TEST_F(WaitDialogTest, OtherPortsAndArrivalsLeaveTheJobRunning) {
    Open();
    WaitJob job = Job(WAIT_OP_LOAD_PARAMS);
    const std::string port = m_device.m_portName;
    const RunResult run = Run(
        job, [&] { return m_sim.countReceived("AT+VER\r\n") == 1; },
        [&](CWaitDialog&) {
            BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, port + "9");
            BroadcastDeviceChange(DBT_DEVICEARRIVAL, port);
        });
    EXPECT_EQ(run.code, IDOK);
    EXPECT_EQ(job.message, "");
    EXPECT_EQ(job.readValues.size(), 3u);
}

TEST_F(WaitDialogTest, CancelAfterTheWorkerEndedButBeforeItsMessageIsHandled) {
    Open();
    WaitJob job = Job(WAIT_OP_RESTORE_FACTORY);
    const RunResult run = Run(job, {}, {}, ClickCancel);
    EXPECT_EQ(run.code, IDCANCEL);
    EXPECT_EQ(job.result, 1) << "the worker had finished";
}

}  // namespace
