#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "ui/port_watcher.h"
#include "ui/template_dialog.h"
#include "ui/wait_job.h"

// Control ids of the wait dialog (template 291).
enum : int {
    IDC_WAIT_PROGRESS = 1039,
    IDC_WAIT_STATIC_TEXT = 1040,
};

// The modal progress dialog under which every long operation runs. It starts
// the job's worker when it opens and joins it before it closes, whichever way
// it ends:
//  - IDOK when the worker has finished (whatever WaitJob::result says);
//  - IDCANCEL after Cancel (Esc, close request), or after the removal of the
//    device's port (then WaitJob::message is "COM closed").
// Usage: WaitJob job; job.device = ...; job.op = ...;
//        CWaitDialog dlg(parent); dlg.m_pJob = &job; int r = dlg.DoModal();
class CWaitDialog : public TemplateDialog, public DeviceChangeListener {
    Q_OBJECT
public:
    explicit CWaitDialog(QWidget* parent = nullptr);
    ~CWaitDialog() override;

    WaitJob* m_pJob = nullptr;  // set before DoModal; not owned

    // The worker thread's name (at most 15 characters).
    static constexpr const char* kWorkerThreadName = "quorrel-job";

    // Removal of a port; also reached through BroadcastDeviceChange while the
    // dialog runs. Returns true.
    bool OnDeviceChange(unsigned event, const DeviceBroadcast* data) override;

protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    // Only the worker's end closes the dialog with OK; Enter must not.
    void OnOK() override {}

private:
    void OnOperationDone();
    void OnProgressRange(std::intptr_t low, std::intptr_t high);
    void OnProgressStep();
    void StopAndJoinWorker();

    // Worker thread.
    void ThreadMain();
    void LoadParamsWorker();
    void WriteParamsWorker();
    void UpgradeWorker();
    void RestartWorker();
    void RestoreFactoryWorker();
    // The job may go on: m_running is 1 and the port's abort event is not set.
    // Cancel sets the event before it clears m_running, so a step that the
    // event ended never lets another one start.
    bool Running() const;
    void EnterCommandModeUntilCancelled();
    bool EnsureCommandMode();
    void PostProgressStep(int);
    // Sleeps ms, or less when the job is stopped meanwhile.
    void Pause(int milliseconds);

    std::atomic<int> m_running{0};
    std::unique_ptr<std::thread> m_pWorker;
    QWidget* m_progress = nullptr;
    int m_position = 0;
    bool m_active = false;  // between OnInitDialog and the end of the dialog
    std::unique_ptr<DeviceChangeRegistration> m_deviceChange;
    std::mutex m_pauseMutex;
    std::condition_variable m_pauseWake;
};
