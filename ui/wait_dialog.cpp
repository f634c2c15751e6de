#include "ui/wait_dialog.h"

#include "catalogue/lang_text.h"
#include "resources/dialog_templates.h"
#include "ui/controls.h"
#include "ui/posted_message.h"

CWaitDialog::CWaitDialog(QWidget* parent) : TemplateDialog(g_waitDialogTemplate, parent) {
    m_progress = GetDlgItem(IDC_WAIT_PROGRESS);
    AddMessageHandler(WM_OPERATION_DONE, [this](PostedMessage&) { OnOperationDone(); });
    AddMessageHandler(WM_PROGRESS_STEP, [this](PostedMessage&) { OnProgressStep(); });
    AddMessageHandler(WM_PROGRESS_RANGE,
                      [this](PostedMessage& m) { OnProgressRange(m.wParam, m.lParam); });
}

CWaitDialog::~CWaitDialog() {
    // Every ending joins the worker; this only matters when the dialog is
    // destroyed without having ended (the worker still posts to it).
    StopAndJoinWorker();
}

bool CWaitDialog::OnInitDialog() {
    CenterWindow();
    m_active = true;
    m_deviceChange = std::make_unique<DeviceChangeRegistration>(this);
    m_running = 1;
    m_pWorker = std::make_unique<std::thread>(&CWaitDialog::ThreadMain, this);
    return true;
}

void CWaitDialog::StopAndJoinWorker() {
    if (!m_pWorker) return;
    m_running = 0;
    {
        // Under the lock, so a worker about to pause cannot miss the wake-up.
        std::lock_guard<std::mutex> lock(m_pauseMutex);
    }
    m_pauseWake.notify_all();
    m_pWorker->join();
    m_pWorker.reset();
}

void CWaitDialog::OnOperationDone() {
    // A late WM_OPERATION_DONE after Cancel or a port removal finds the dialog
    // ended; it must not end it a second time.
    if (!m_active) return;
    StopAndJoinWorker();
    m_active = false;
    m_deviceChange.reset();
    EndDialog(IDOK);
}

void CWaitDialog::OnProgressRange(std::intptr_t low, std::intptr_t high) {
    SetProgressRange(m_progress, static_cast<int>(low), static_cast<int>(high));
    m_position = 0;
    SetProgressPos(m_progress, 0);
}

void CWaitDialog::OnProgressStep() {
    ++m_position;
    SetProgressPos(m_progress, m_position);
}

void CWaitDialog::OnCancel() {
    AbortEvent* abort = nullptr;
    if (m_pJob != nullptr && m_pJob->device != nullptr) abort = &m_pJob->device->m_serial.m_hAbort;
    if (abort != nullptr) abort->Set();
    StopAndJoinWorker();
    if (abort != nullptr) abort->Reset();
    m_active = false;
    m_deviceChange.reset();
    TemplateDialog::OnCancel();
}

bool CWaitDialog::OnDeviceChange(unsigned event, const DeviceBroadcast* data) {
    if (!m_active || event != DBT_DEVICEREMOVECOMPLETE || data == nullptr ||
        data->deviceType != DBT_DEVTYP_PORT || m_pJob == nullptr || m_pJob->device == nullptr ||
        data->portName != m_pJob->device->m_portName) {
        return true;
    }
    // No abort first: the current step ends by itself, a pending read by the
    // port's time-outs or by the failure of the vanished port.
    StopAndJoinWorker();
    m_pJob->message = GetLangText(TEXT_COM_CLOSED);
    OnCancel();
    return true;
}

void CWaitDialog::PostProgressStep(int) { PostMessage(this, WM_PROGRESS_STEP); }

void CWaitDialog::Pause(int milliseconds) {
    std::unique_lock<std::mutex> lock(m_pauseMutex);
    m_pauseWake.wait_for(lock, std::chrono::milliseconds(milliseconds),
                         [this] { return m_running.load() == 0; });
}
