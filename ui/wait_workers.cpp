// The wait dialog's worker thread: the five jobs. They reach the module only
// through the device, report by posted messages and log records, and check
// Running() before every step.
#include <pthread.h>

#include <chrono>
#include <thread>
#include <vector>

#include "catalogue/lang_text.h"
#include "catalogue/log_record.h"
#include "ui/read_whole_file.h"
#include "ui/posted_message.h"
#include "ui/wait_dialog.h"

namespace {

constexpr int kStepPauseMs = 100;     // after every query and set: the module's pace
constexpr int kPlusRetryPauseMs = 100;
constexpr int kPlusTimeoutMs = 500;
constexpr int kPlusTriesPerAttempt = 3;
constexpr int kPlusAcksNeeded = 6;
constexpr int kAfterRestartMs = 1000;
constexpr std::uint32_t kPlusReplySize = 4096;

}  // namespace

void CWaitDialog::ThreadMain() {
    // Named so that a debugger, top or a test can tell the job's thread apart.
    pthread_setname_np(pthread_self(), kWorkerThreadName);
    WaitJob& job = *m_pJob;
    if (job.device == nullptr || !job.device->m_serial.IsOpen()) {
        job.result = 0;
        job.message = GetLangText(TEXT_COM_CLOSED);
    } else {
        switch (job.op) {
            case WAIT_OP_LOAD_PARAMS:
                LoadParamsWorker();
                break;
            case WAIT_OP_WRITE_PARAMS:
                WriteParamsWorker();
                break;
            case WAIT_OP_UPGRADE:
                job.device->SetTimeouts(true);
                UpgradeWorker();
                job.device->SetTimeouts(false);
                break;
            case WAIT_OP_RESTART:
                RestartWorker();
                // Gives the module time to come back before the next job.
                Pause(kAfterRestartMs);
                break;
            case WAIT_OP_RESTORE_FACTORY:
                RestoreFactoryWorker();
                break;
            default:
                job.result = 0;
                break;
        }
    }
    PostMessage(this, WM_OPERATION_DONE);
}

bool CWaitDialog::Running() const {
    return m_running == 1 && !m_pJob->device->m_serial.m_hAbort.IsSet();
}

// Repeats "+++" (attempts of three tries, 100 ms between the tries of an
// attempt) until one is acknowledged or the job is stopped. Wire-for-wire the
// same as calling CComDevice::EnterCommandMode until it succeeds, but it looks
// at Running() after every try, and Cancel ends a try at once.
void CWaitDialog::EnterCommandModeUntilCancelled() {
    char reply[kPlusReplySize];
    for (int tries = 0; Running();) {
        if (m_pJob->device->ExchangeTimeout("+++", reply, sizeof reply, kPlusTimeoutMs)) return;
        if (++tries % kPlusTriesPerAttempt != 0 && Running()) Pause(kPlusRetryPauseMs);
    }
}

void CWaitDialog::LoadParamsWorker() {
    WaitJob& job = *m_pJob;
    CComDevice& device = *job.device;
    EnterCommandModeUntilCancelled();
    if (Running()) {
        int textId = 0;
        if (!device.IdentifyVersion(textId)) {
            LogPrintf(LOG_ERROR, "%s", "无法识别的版本");
            return;
        }
        if (device.m_versionText.find("CLAA") != std::string::npos && Running()) {
            device.QueryGmr();
        }
    }
    job.readIds = device.m_supportedParams;
    if (job.readIds.empty()) {
        job.result = 0;
        LogPrintf(LOG_INFO, "load params terminate");
        return;
    }
    std::vector<AtRequest> requests;
    device.CollectQueries(job.readIds, requests);
    PostMessage(this, WM_PROGRESS_RANGE, 0, static_cast<std::intptr_t>(requests.size()));
    for (AtRequest& request : requests) {
        if (!Running()) break;
        if (device.Query(request)) job.readValues[request.configId] = request.reply;
        PostMessage(this, WM_PROGRESS_STEP);
        Pause(kStepPauseMs);
    }
    LogPrintf(LOG_INFO, "load params complete");
}

void CWaitDialog::WriteParamsWorker() {
    WaitJob& job = *m_pJob;
    CComDevice& device = *job.device;
    if (job.writeValues.empty()) {
        job.result = 0;
        LogPrintf(LOG_INFO, "write params terminate");
        return;
    }
    // Goes on after a cancel too: the save below is sent on every path.
    EnterCommandModeUntilCancelled();
    std::vector<AtRequest> requests;
    device.CollectSets(job.writeValues, requests);
    PostMessage(this, WM_PROGRESS_RANGE, 0, static_cast<std::intptr_t>(requests.size()));
    for (const AtRequest& request : requests) {
        if (!Running()) break;
        if (device.Set(request)) job.writtenValues[request.configId] = request.value;
        PostMessage(this, WM_PROGRESS_STEP);
        // Not cut short by a cancel: the module may still be answering the
        // set line when the save follows.
        std::this_thread::sleep_for(std::chrono::milliseconds(kStepPauseMs));
    }
    // After a cancel the abort event is set, so this read returns at once.
    char reply[100];
    device.Exchange("AT+SAV\r\n", reply, sizeof reply);
    LogPrintf(LOG_INFO, "write params complete");
}

void CWaitDialog::UpgradeWorker() {
    WaitJob& job = *m_pJob;
    std::vector<std::uint8_t> image;
    std::string message;
    const int size = ReadWholeFile(job.filePath, image, message);
    if (size <= 0) {
        job.result = 0;
        job.message = message;
        return;
    }
    if (job.blockSize <= 0) {
        // Nothing sensible to send in frames of no size.
        job.result = 0;
        return;
    }
    // One frame per full block plus the last one with the rest (empty when the
    // size is a whole multiple of the block).
    const long long frames = (static_cast<long long>(size) + job.blockSize) / job.blockSize;
    PostMessage(this, WM_PROGRESS_RANGE, 0, static_cast<std::intptr_t>(frames));
    if (job.restartFirst != 0) {
        if (EnsureCommandMode()) job.device->Reboot();
        if (!Running()) return;
    }
    const bool done = job.device->Upgrade(image.data(), size, job.blockSize, &m_running,
                                          [this](int step) { PostProgressStep(step); }) != 0;
    job.result = done ? 1 : 0;
    // The adapter pulled mid-transfer: the worker usually notices before the
    // port watcher does, and the user must still learn why it failed.
    if (!done && job.device->m_serial.IsGone()) job.message = GetLangText(TEXT_COM_CLOSED);
}

void CWaitDialog::RestartWorker() {
    if (!EnsureCommandMode()) return;
    // The module may restart without answering, so the answer is not judged.
    m_pJob->device->Reboot();
    m_pJob->result = 1;
}

void CWaitDialog::RestoreFactoryWorker() {
    if (!EnsureCommandMode()) return;
    m_pJob->result = m_pJob->device->RestoreFactory() ? 1 : 0;
}

// Six acknowledged "+++", each sought as EnterCommandModeUntilCancelled seeks
// one.
bool CWaitDialog::EnsureCommandMode() {
    for (int acknowledged = 0; acknowledged < kPlusAcksNeeded && Running(); ++acknowledged) {
        EnterCommandModeUntilCancelled();
    }
    return Running();
}
