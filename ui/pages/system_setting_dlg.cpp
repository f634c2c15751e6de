#include "ui/pages/system_setting_dlg.h"

#include <QAbstractButton>
#include <algorithm>
#include <initializer_list>

#include "catalogue/lang_text.h"
#include "resources/dialog_templates.h"
#include "resources/system_page_ids.h"
#include "ui/combo_box.h"
#include "ui/device_version.h"
#include "ui/lang_captions.h"

namespace {

constexpr PageBinding kSystemBindings[] = {
    {"CONFIG_ID_WORK_MODE", IDC_SYS_COMBO_WORK_MODE, IDC_SYS_STATIC_WORK_MODE},
    {"CONFIG_ID_DEBUG_LEVEL", IDC_SYS_COMBO_DEBUG_LEVEL, IDC_SYS_STATIC_DEBUG_LEVEL},
    {"CONFIG_ID_DATA_DISPLAY_MODE", IDC_SYS_COMBO_DATA_DISPLAY_MODE,
     IDC_SYS_STATIC_DATA_DISPLAY_MODE},
    {"CONFIG_ID_SEND_COMPLETE", IDC_SYS_COMBO_SEND_COMPLETE, IDC_SYS_STATIC_SEND_COMPLETE},
    {"CONFIG_ID_SLEEP_MODE", IDC_SYS_COMBO_SLEEP_MODE, IDC_SYS_STATIC_SLEEP_MODE},
    {"CONFIG_ID_PREMABLE_TIME", IDC_SYS_COMBO_PREAMBLE_TIME, IDC_SYS_STATIC_PREAMBLE_TIME},
    {"CONFIG_ID_SLEEP_TIME", IDC_SYS_COMBO_SLEEP_TIME, IDC_SYS_STATIC_SLEEP_TIME},
    {"CONFIG_ID_WAKEUP_TIME", IDC_SYS_EDIT_WAKEUP_TIME, IDC_SYS_STATIC_WAKEUP_TIME},
    {"CONFIG_ID_AUTO_JOIN", IDC_SYS_COMBO_AUTO_JOIN, IDC_SYS_STATIC_AUTO_JOIN},
    {"CONFIG_ID_HEART_PERIOD", IDC_SYS_EDIT_HEART_PERIOD, IDC_SYS_STATIC_HEART_PERIOD},
};

constexpr LangCaption kWakeupCaptions[] = {
    {IDC_SYS_CHECK_WAKEUP_MODE, TEXT_WAKEUP_MODE},
    {IDC_SYS_RADIO_WAKEUP_NODE, TEXT_WAKEUP_NODE},
    {IDC_SYS_RADIO_SLEEP_NODE, TEXT_SLEEP_NODE},
};

constexpr const char* kSleepModeId = "CONFIG_ID_SLEEP_MODE";
constexpr const char* kPreambleId = "CONFIG_ID_PREMABLE_TIME";

// The three rows under the check box: label, input, range note each.
constexpr int kPreambleRow[] = {IDC_SYS_STATIC_PREAMBLE_TIME, IDC_SYS_STATIC_PREAMBLE_TIME_RANGE,
                                IDC_SYS_COMBO_PREAMBLE_TIME};
constexpr int kSleepTimeRow[] = {IDC_SYS_STATIC_SLEEP_TIME, IDC_SYS_STATIC_SLEEP_TIME_RANGE,
                                 IDC_SYS_COMBO_SLEEP_TIME};
constexpr int kWakeupTimeRow[] = {IDC_SYS_STATIC_WAKEUP_TIME, IDC_SYS_STATIC_WAKEUP_TIME_RANGE,
                                  IDC_SYS_EDIT_WAKEUP_TIME};
// The rows only network modules have.
constexpr int kNetworkRows[] = {IDC_SYS_STATIC_AUTO_JOIN, IDC_SYS_COMBO_AUTO_JOIN,
                                IDC_SYS_STATIC_HEART_PERIOD, IDC_SYS_EDIT_HEART_PERIOD,
                                IDC_SYS_STATIC_HEART_PERIOD_RANGE};

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

bool IsNetworkVersion(const std::string& version) {
    return Contains(version, "CLAA") || Contains(version, "LRWAN");
}

// The version text is stored upper-cased already; folding it again keeps a
// hand-set lower-case text from hiding a network module.
bool IsNetworkModule() {
    std::transform(
        g_deviceVersion.begin(), g_deviceVersion.end(), g_deviceVersion.begin(),
        [](unsigned char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : char(c); });
    return IsNetworkVersion(g_deviceVersion);
}

}  // namespace

CSystemSettingDlg::CSystemSettingDlg()
    : CConfigPage(g_systemPageTemplate, kSystemBindings),
      m_comboWorkMode(Combo(IDC_SYS_COMBO_WORK_MODE)),
      m_comboSleepMode(Combo(IDC_SYS_COMBO_SLEEP_MODE)) {
    // clicked: the user's clicks only, after the automatic button has
    // changed its check state.
    if (auto* check = DlgItem<QAbstractButton>(IDC_SYS_CHECK_WAKEUP_MODE)) {
        connect(check, &QAbstractButton::clicked, this, [this] { OnBnClickedWakeupMode(); });
    }
    if (auto* wakeupNode = DlgItem<QAbstractButton>(IDC_SYS_RADIO_WAKEUP_NODE)) {
        connect(wakeupNode, &QAbstractButton::clicked, this, [this] { OnBnClickedWakeupMode(); });
    }
    if (auto* sleepNode = DlgItem<QAbstractButton>(IDC_SYS_RADIO_SLEEP_NODE)) {
        connect(sleepNode, &QAbstractButton::clicked, this, [this] { OnBnClickedSleepNode(); });
    }
}

bool CSystemSettingDlg::OnInitDialog() {
    CConfigPage::OnInitDialog();
    UpdateWakeupControls(false, false);
    return true;
}

void CSystemSettingDlg::UpdateLabels() {
    CConfigPage::UpdateLabels();
    SetLangCaptions(*this, kWakeupCaptions);
}

void CSystemSettingDlg::FillWorkModeCombo(bool limited) {
    if (m_comboWorkMode == nullptr) return;
    const int count = m_comboWorkMode->GetCount();
    if ((limited && count == 2) || (!limited && count == 4)) return;
    const int selection = m_comboWorkMode->GetCurSel();
    m_comboWorkMode->ResetContent();
    // Same texts and order as the work-mode domain, so a position still maps
    // to the domain's value of that position.
    m_comboWorkMode->AddString(g_language == 2 ? "透传模式" : "TRNS");
    m_comboWorkMode->AddString("AT");
    if (!limited) {
        m_comboWorkMode->AddString("API");
        m_comboWorkMode->AddString("Modbus");
    }
    m_comboWorkMode->SetCurSel(selection);
}

void CSystemSettingDlg::UpdateWakeupControls(bool wakeupMode, bool wakeupNode) {
    const bool network = IsNetworkModule();
    const auto show = [this](std::initializer_list<int> ids, bool visible) {
        for (int id : ids) ShowDlgItem(id, visible);
    };
    const auto enable = [this](std::initializer_list<int> ids, bool enabled) {
        for (int id : ids) EnableDlgItem(id, enabled);
    };
    const auto rows = [&](auto action, bool flag) {
        for (const auto* row : {kPreambleRow, kSleepTimeRow, kWakeupTimeRow}) {
            action({row[0], row[1], row[2]}, flag);
        }
    };

    show({IDC_SYS_CHECK_WAKEUP_MODE}, true);
    enable({IDC_SYS_CHECK_WAKEUP_MODE}, true);
    FillWorkModeCombo(network);

    if (wakeupMode) {
        CheckDlgButton(IDC_SYS_CHECK_WAKEUP_MODE, 1);
        show({IDC_SYS_RADIO_WAKEUP_NODE, IDC_SYS_RADIO_SLEEP_NODE}, true);
        rows(show, true);
        rows(enable, false);
        enable({IDC_SYS_COMBO_SLEEP_MODE}, false);
        if (wakeupNode) {
            CheckDlgButton(IDC_SYS_RADIO_WAKEUP_NODE, 1);
            CheckDlgButton(IDC_SYS_RADIO_SLEEP_NODE, 0);
            enable({kPreambleRow[0], kPreambleRow[1], kPreambleRow[2]}, true);
        } else {
            CheckDlgButton(IDC_SYS_RADIO_SLEEP_NODE, 1);
            CheckDlgButton(IDC_SYS_RADIO_WAKEUP_NODE, 0);
            enable({kWakeupTimeRow[0], kWakeupTimeRow[1], kWakeupTimeRow[2]}, true);
            enable({kSleepTimeRow[0], kSleepTimeRow[1], kSleepTimeRow[2]}, true);
        }
    } else {
        enable({IDC_SYS_COMBO_SLEEP_MODE}, true);
        CheckDlgButton(IDC_SYS_CHECK_WAKEUP_MODE, 0);
        // The radios keep their check states while hidden.
        show({IDC_SYS_RADIO_WAKEUP_NODE, IDC_SYS_RADIO_SLEEP_NODE}, false);
        rows(show, false);
    }

    if (network) {
        show({IDC_SYS_CHECK_WAKEUP_MODE}, false);
        enable({IDC_SYS_CHECK_WAKEUP_MODE}, false);
        CheckDlgButton(IDC_SYS_CHECK_WAKEUP_MODE, 0);
    }

    // Auto join and heart period belong to network modules, whatever the
    // supported set says.
    for (int id : kNetworkRows) ShowDlgItem(id, network);
    enable({IDC_SYS_COMBO_AUTO_JOIN, IDC_SYS_EDIT_HEART_PERIOD}, network);

    const bool checked = IsDlgButtonChecked(IDC_SYS_CHECK_WAKEUP_MODE) != 0;
    const bool nodeChecked = IsDlgButtonChecked(IDC_SYS_RADIO_WAKEUP_NODE) != 0;
    EnableDlgItem(IDC_SYS_COMBO_PREAMBLE_TIME, checked && nodeChecked);
    enable({IDC_SYS_COMBO_SLEEP_TIME, IDC_SYS_EDIT_WAKEUP_TIME}, checked && !nodeChecked);
}

void CSystemSettingDlg::SetValues(const ParamValueMap& values) {
    // The list must have the module's length before the values are shown:
    // a work mode of 2 or 3 shown in the two-item list left from a network
    // module would otherwise be lost from the page on this load.
    FillWorkModeCombo(IsNetworkModule());
    CConfigPageHelper::SetValues(values);

    const int sleepMode = ReadLeadingDecimal(GetMapValue(values, kSleepModeId));
    const int preamble = ReadLeadingDecimal(GetMapValue(values, kPreambleId));
    bool wakeupMode = false;
    bool wakeupNode = false;
    if (sleepMode == 0 && preamble > 0) {
        wakeupMode = true;
        wakeupNode = true;
    } else if (sleepMode == 1) {
        wakeupMode = true;
    }

    if (IsNetworkVersion(g_deviceVersion)) {
        wakeupMode = false;
    } else if (wakeupMode && m_comboSleepMode != nullptr) {
        // In wake-up mode the radio buttons carry the sleep mode, not the list.
        m_comboSleepMode->SetCurSel(-1);
    }
    UpdateWakeupControls(wakeupMode, wakeupNode);
}

void CSystemSettingDlg::GetValues(ParamValueMap& out) {
    CConfigPageHelper::GetValues(out);
    if (IsDlgButtonChecked(IDC_SYS_CHECK_WAKEUP_MODE)) {
        if (IsDlgButtonChecked(IDC_SYS_RADIO_WAKEUP_NODE)) {
            out[kSleepModeId] = "0";
        } else if (IsDlgButtonChecked(IDC_SYS_RADIO_SLEEP_NODE)) {
            out[kSleepModeId] = "1";
        }
    } else {
        out[kPreambleId] = "0";
    }
}

void CSystemSettingDlg::OnBnClickedWakeupMode() {
    const bool checked = IsDlgButtonChecked(IDC_SYS_CHECK_WAKEUP_MODE) != 0;
    UpdateWakeupControls(checked, checked && IsDlgButtonChecked(IDC_SYS_RADIO_WAKEUP_NODE) != 0);
}

void CSystemSettingDlg::OnBnClickedSleepNode() {
    UpdateWakeupControls(IsDlgButtonChecked(IDC_SYS_CHECK_WAKEUP_MODE) != 0, false);
}
