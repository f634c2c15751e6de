#include "ui/cmd_config_dialog.h"

#include <QAbstractButton>
#include <QPushButton>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "catalogue/app_directory.h"
#include "catalogue/lang_text.h"
#include "catalogue/log_record.h"
#include "link/com_device.h"
#include "platform/profile.h"
#include "resources/cmd_dialog_ids.h"
#include "resources/dialog_templates.h"
#include "ui/command_bytes.h"
#include "ui/controls.h"
#include "ui/file_write_reason.h"
#include "ui/lang_captions.h"

namespace {

constexpr const char* kSection = "CONFIG";
constexpr std::size_t kPeriodTextSize = 1023;  // what a 1024-byte profile buffer holds

constexpr LangCaption kCaptions[] = {
    {IDC_CMD_CHECK_HEX, TEXT_CMD_HEX},         {IDC_CMD_CHECK_NEWLINE, TEXT_CMD_NEWLINE},
    {IDC_CMD_CHECK_SENDTIMER, TEXT_CMD_TIMER}, {IDC_CMD_BUTTON_CLEAR, TEXT_CMD_CLEAR},
    {IDC_CMD_BUTTON_SEND, TEXT_CMD_SEND},
};

// atoi's reading of the period box, kept within what a timer can take.
int PeriodFromText(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int>(
        std::clamp<long long>(value, CCmdConfigDialog::kMinSendPeriodMs, INT_MAX));
}

}  // namespace

CCmdConfigDialog::CCmdConfigDialog(QWidget* parent, CComDevice* device)
    : TemplateDialog(g_cmdDialogTemplate, parent), m_pDevice(device) {
    // A precise timer never fires early, so the first send is at least one
    // period after the click.
    m_sendTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_sendTimer, &QTimer::timeout, this, [this] { OnTimer(TIMER_CMD_SEND); });
    connect(Button(IDC_CMD_BUTTON_CLEAR), &QPushButton::clicked, this,
            [this] { OnBnClickedClear(); });
    connect(Button(IDC_CMD_BUTTON_SEND), &QPushButton::clicked, this,
            [this] { OnBnClickedSend(); });
    // clicked, not toggled: only the user's click stops the timer.
    connect(DlgItem<QAbstractButton>(IDC_CMD_CHECK_SENDTIMER), &QAbstractButton::clicked, this,
            [this] { OnBnClickedSendTimer(); });
    // Every ending (close box, Enter, Esc) goes through EndDialog, which
    // finishes the dialog.
    connect(this, &QDialog::finished, this, [this] { OnDestroy(); });
}

CCmdConfigDialog::~CCmdConfigDialog() {
    // A window destroyed without having been closed still stops the receive
    // thread, whose callback points at it.
    OnDestroy();
}

bool CCmdConfigDialog::OnInitDialog() {
    CenterWindow();
    m_iniPath = GetSettingsFilePath();
    ApplyLanguageTexts();

    CheckDlgButton(IDC_CMD_CHECK_HEX, 0);
    CheckDlgButton(IDC_CMD_CHECK_NEWLINE, 0);
    const int timerState = ReadProfileInt(kSection, "SendTimerState", 1, m_iniPath);
    CheckDlgButton(IDC_CMD_CHECK_SENDTIMER, timerState != 0 ? 1 : 0);
    SetDlgItemText(IDC_CMD_EDIT_COMMAND, "+++");
    std::string period = ReadProfileString(kSection, "SendTimer", "1000", m_iniPath);
    if (period.size() > kPeriodTextSize) period.resize(kPeriodTextSize);
    SetDlgItemText(IDC_CMD_EDIT_PERIOD, period);

    m_open = true;
    // With the port closed there is simply no receive thread.
    if (m_pDevice != nullptr) {
        m_pDevice->StartEventThread(
            [this](char* data, unsigned long length, void* user) { OnReceive(data, length, user); },
            nullptr);
    }
    return true;
}

void CCmdConfigDialog::ApplyLanguageTexts() {
    SetLangCaptions(*this, kCaptions);
    SetWindowText(this, GetLangText(TEXT_CMD_WINDOW_TITLE));
}

void CCmdConfigDialog::OnBnClickedClear() { SetDlgItemText(IDC_CMD_EDIT_COMMAND, ""); }

void CCmdConfigDialog::OnBnClickedSend() {
    if (m_pDevice == nullptr || !m_pDevice->m_serial.IsOpen()) {
        LogPrintf(LOG_ERROR, "COM not open");
        return;
    }
    if (IsDlgButtonChecked(IDC_CMD_CHECK_SENDTIMER) == 1) {
        m_sendTimer.stop();
        m_sendTimer.start(PeriodFromText(GetDlgItemText(IDC_CMD_EDIT_PERIOD)));
        return;
    }
    SendCommand();
}

void CCmdConfigDialog::OnBnClickedSendTimer() {
    if (IsDlgButtonChecked(IDC_CMD_CHECK_SENDTIMER) != 1) m_sendTimer.stop();
}

void CCmdConfigDialog::OnTimer(int id) {
    // While the port is closed the timer keeps running and sends nothing, so
    // sending resumes when the same port is open again.
    if (id == TIMER_CMD_SEND && m_pDevice != nullptr && m_pDevice->m_serial.IsOpen()) SendCommand();
}

void CCmdConfigDialog::SendCommand() {
    const std::string bytes = BuildCommandBytes(GetDlgItemText(IDC_CMD_EDIT_COMMAND),
                                                IsDlgButtonChecked(IDC_CMD_CHECK_HEX) == 1,
                                                IsDlgButtonChecked(IDC_CMD_CHECK_NEWLINE) == 1);
    // Nobody is told of a failed write: the log shows what comes back.
    if (!bytes.empty())
        m_pDevice->m_serial.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void CCmdConfigDialog::SaveSettings() {
    // One replacement of the file for the four keys: all are saved or none.
    const ProfileEntries entries{
        {"CmdHex", std::to_string(IsDlgButtonChecked(IDC_CMD_CHECK_HEX))},
        {"SendTimer", GetDlgItemText(IDC_CMD_EDIT_PERIOD)},
        {"SendTimerState", std::to_string(IsDlgButtonChecked(IDC_CMD_CHECK_SENDTIMER))},
        {"SendNewLine", std::to_string(IsDlgButtonChecked(IDC_CMD_CHECK_NEWLINE))},
    };
    FileWriteFailure failure;
    if (!WriteProfileStrings(kSection, entries, m_iniPath, &failure))
        LogSettingsNotSaved(m_iniPath, failure);
}

void CCmdConfigDialog::OnReceive(char* data, unsigned long length, void* /*user*/) {
    // Every byte, as many records as it takes: a zero byte or a reply longer
    // than one record must not hide what follows it.
    if (data != nullptr) LogBytes(LOG_RAW, data, length);
}

void CCmdConfigDialog::OnDestroy() {
    if (!m_open) return;
    m_open = false;
    m_sendTimer.stop();
    // Joins the receive thread before anything it might reach goes away.
    if (m_pDevice != nullptr) m_pDevice->StopEventThread();
    LogRawEnd();
    SaveSettings();
}
