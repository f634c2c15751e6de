// Cancel at every stage of every wait-dialog job, against a simulated module
// that goes wrong at that stage. Shared by the cancel tests and the cancel
// latency benchmark, so that both drive the real dialog, worker and device the
// same way.
#pragma once

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/module_simulator.h"
#include "resources/dialog_result.h"
#include "ui/wait_dialog.h"

// A stage begins when the module receives the nth unit that starts with
// `unit`; from there on the module misbehaves.
struct JobStage {
    const char* job;
    const char* stage;
    int op;
    bool restartFirst;
    const char* unit;
    int nth;
};

// clang-format off
inline const JobStage kJobStages[] = {
    {"load", "command mode", WAIT_OP_LOAD_PARAMS, false, "+++", 1},
    {"load", "identification's command mode", WAIT_OP_LOAD_PARAMS, false, "+++", 2},
    {"load", "version query", WAIT_OP_LOAD_PARAMS, false, "AT+VER", 1},
    {"load", "queries", WAIT_OP_LOAD_PARAMS, false, "AT+", 2},
    {"write", "command mode", WAIT_OP_WRITE_PARAMS, false, "+++", 1},
    {"write", "set lines", WAIT_OP_WRITE_PARAMS, false, "AT+", 1},
    {"restart", "command mode", WAIT_OP_RESTART, false, "+++", 4},
    {"restart", "restart line and pause", WAIT_OP_RESTART, false, "AT+SRS", 1},
    {"factory restore", "command mode", WAIT_OP_RESTORE_FACTORY, false, "+++", 1},
    {"factory restore", "factory line", WAIT_OP_RESTORE_FACTORY, false, "AT+FAC", 1},
    {"upgrade", "handshake", WAIT_OP_UPGRADE, false, "P", 1},
    {"upgrade", "frames", WAIT_OP_UPGRADE, false, "\x02", 2},
    {"upgrade, restart first", "command mode", WAIT_OP_UPGRADE, true, "+++", 1},
    {"upgrade, restart first", "restart line", WAIT_OP_UPGRADE, true, "AT+SRS", 1},
    {"upgrade, restart first", "handshake", WAIT_OP_UPGRADE, true, "P", 1},
};
// clang-format on

inline const char* NoiseName(SimNoise noise) {
    switch (noise) {
        case SimNoise::Silence:
            return "silence";
        case SimNoise::Trickle:
            return "trickle";
        case SimNoise::Garbage:
            return "garbage";
        case SimNoise::Flood:
            return "flood";
    }
    return "?";
}

// The job of a stage; imagePath is the firmware image of the upgrades.
inline WaitJob StageJob(CComDevice& device, const JobStage& stage, const std::string& imagePath) {
    WaitJob job;
    job.device = &device;
    job.op = stage.op;
    job.writeValues = {{"CONFIG_ID_POWER", "10"}, {"CONFIG_ID_WORK_MODE", "1"}};
    job.filePath = imagePath;
    job.blockSize = 4096;
    job.restartFirst = stage.restartFirst ? 1 : 0;
    return job;
}

// The module has gone wrong and, for a trickle or a flood, is sending: the
// worker is now waiting amid the noise.
inline bool NoiseUnderway(const ModuleSimulator& sim, SimNoise noise) {
    if (!sim.noiseActive()) return false;
    switch (noise) {
        case SimNoise::Trickle:
            return sim.noiseBytesSent() >= 2;
        case SimNoise::Flood:
            return sim.noiseBytesSent() > 0;
        default:
            return true;
    }
}

struct CancelResult {
    int code = 0;
    bool reached = false;   // the moment to cancel came before the job ended
    double latencyMs = -1;  // from the click to the dialog's end
    bool hungUp = false;    // it did not end within the bound: the module was hung up
    std::vector<ModuleSimulator::Received> afterClick;  // what the module received since
};

// Runs the job under the wait dialog; `delay` after ready() first holds, clicks
// Cancel. A dialog still running `bound` after the click has its module hung
// up, so that a worker deaf to Cancel still ends and the caller sees why.
inline CancelResult RunAndCancel(WaitJob& job, ModuleSimulator& sim,
                                 const std::function<bool()>& ready,
                                 std::chrono::milliseconds delay, std::chrono::milliseconds bound) {
    using Clock = ModuleSimulator::Clock;
    CancelResult result;
    CWaitDialog dialog;
    dialog.m_pJob = &job;
    QElapsedTimer sinceReady, sinceClick, total;
    Clock::time_point clickedAt{};
    total.start();
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (sinceClick.isValid()) return;
        if (!sinceReady.isValid() && ready()) sinceReady.start();
        const bool due = sinceReady.isValid() && sinceReady.elapsed() >= delay.count();
        if (!due && total.elapsed() < 10000) return;  // a stage never reached still ends
        result.reached = due;
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        std::thread watchdog([&] {
            std::unique_lock lock(mutex);
            if (!ended.wait_for(lock, bound, [&] { return done; })) {
                result.hungUp = true;
                lock.unlock();
                sim.hangUp();
            }
        });
        clickedAt = Clock::now();
        sinceClick.start();
        dialog.Button(IDCANCEL)->click();  // returns once the worker is joined
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        ended.notify_all();
        watchdog.join();
    });
    poll.start();
    result.code = dialog.DoModal();
    if (sinceClick.isValid()) {
        result.latencyMs = sinceClick.nsecsElapsed() / 1e6;
        sim.settle();  // the worker's last bytes may still be on their way
        for (const ModuleSimulator::Received& unit : sim.received()) {
            if (unit.at >= clickedAt) result.afterClick.push_back(unit);
        }
    }
    return result;
}
