#include "ui/pages/lora_wan_setting_dlg.h"

#include "catalogue/lang_text.h"
#include "resources/dialog_templates.h"
#include "resources/lrwan_page_ids.h"
#include "ui/combo_box.h"

namespace {

constexpr PageBinding kLrwanBindings[] = {
    {"CONFIG_ID_DEI", IDC_LRWAN_EDIT_DEI, IDC_LRWAN_STATIC_DEI},
    {"CONFIG_ID_AEI", IDC_LRWAN_EDIT_AEI, IDC_LRWAN_STATIC_AEI},
    {"CONFIG_ID_AKY", IDC_LRWAN_EDIT_AKY, IDC_LRWAN_STATIC_AKY},
    {"CONFIG_ID_CLASS", IDC_LRWAN_COMBO_CLASS, IDC_LRWAN_STATIC_CLASS},
    {"CONFIG_ID_CFM", IDC_LRWAN_COMBO_CFM, IDC_LRWAN_STATIC_CFM},
    {"CONFIG_ID_ENTWORK_ID", IDC_LRWAN_EDIT_NETWORK_ID, IDC_LRWAN_STATIC_NETWORK_ID},
    {"CONFIG_ID_LRWAN_DEVICE_TYPE", IDC_LRWAN_COMBO_DEVICE_TYPE, IDC_LRWAN_STATIC_DEVICE_TYPE},
    {"CONFIG_ID_DEVICE_ID", IDC_LRWAN_EDIT_DEVICE_ID, IDC_LRWAN_STATIC_DEVICE_ID},
    {"CONFIG_ID_TRANSPORT_ADDRESS", IDC_LRWAN_EDIT_TRANSPORT_ADDRESS,
     IDC_LRWAN_STATIC_TRANSPORT_ADDRESS},
    {"CONFIG_ID_SKY_RATE", IDC_LRWAN_COMBO_SKY_RATE, IDC_LRWAN_STATIC_SKY_RATE},
    {"CONFIG_ID_POWER", IDC_LRWAN_COMBO_POWER, IDC_LRWAN_STATIC_POWER},
    {"CONFIG_ID_CARRIER_FREQUENCY", IDC_LRWAN_EDIT_CARRIER_FREQUENCY,
     IDC_LRWAN_STATIC_CARRIER_FREQUENCY},
};

// The relay rows inside group box 1209, in the order they are shown or
// hidden: value control, label, note (0 when the row has none).
struct RelayRow {
    int value;
    int label;
    int note;
};
constexpr RelayRow kRelayRows[] = {
    {IDC_LRWAN_EDIT_NETWORK_ID, IDC_LRWAN_STATIC_NETWORK_ID, IDC_LRWAN_STATIC_NETWORK_ID_RANGE},
    {IDC_LRWAN_EDIT_DEVICE_ID, IDC_LRWAN_STATIC_DEVICE_ID, IDC_LRWAN_STATIC_DEVICE_ID_RANGE},
    {IDC_LRWAN_EDIT_TRANSPORT_ADDRESS, IDC_LRWAN_STATIC_TRANSPORT_ADDRESS,
     IDC_LRWAN_STATIC_TRANSPORT_ADDRESS_RANGE},
    {IDC_LRWAN_COMBO_SKY_RATE, IDC_LRWAN_STATIC_SKY_RATE, 0},
    {IDC_LRWAN_COMBO_POWER, IDC_LRWAN_STATIC_POWER, IDC_LRWAN_STATIC_POWER_UNIT},
    {IDC_LRWAN_EDIT_CARRIER_FREQUENCY, IDC_LRWAN_STATIC_CARRIER_FREQUENCY,
     IDC_LRWAN_STATIC_FREQUENCY_RANGE},
};

}  // namespace

CLoraWanSettingDlg::CLoraWanSettingDlg() : CConfigPage(g_lrwanPageTemplate, kLrwanBindings) {
    if (ComboBox* deviceType = Combo(IDC_LRWAN_COMBO_DEVICE_TYPE)) {
        // activated: the user's choice only, as CBN_SELCHANGE; a selection
        // made by SetValues must not move the rows.
        connect(deviceType, &QComboBox::activated, this, [this] { OnCbnSelchangeDeviceType(); });
    }
}

void CLoraWanSettingDlg::UpdateLabels() {
    CConfigPage::UpdateLabels();
    SetDlgItemText(IDC_LRWAN_GROUP_RELAY, GetLangText(TEXT_RELAY_NETWORK));
}

void CLoraWanSettingDlg::SetValues(const ParamValueMap& values) {
    CConfigPageHelper::SetValues(values);
    HideBoundRow("CONFIG_ID_AEI");
    // The rows follow the loaded number, not the list: a type the list does
    // not know (e.g. "5") still counts as a relay type.
    const int deviceType = ReadLeadingDecimal(GetMapValue(values, "CONFIG_ID_LRWAN_DEVICE_TYPE"));
    ShowRelayControls(deviceType >= 1);
}

void CLoraWanSettingDlg::OnCbnSelchangeDeviceType() {
    if (ComboBox* deviceType = Combo(IDC_LRWAN_COMBO_DEVICE_TYPE)) {
        OnDeviceTypeChanged(deviceType->GetCurSel());
    }
}

void CLoraWanSettingDlg::OnDeviceTypeChanged(int position) {
    HideBoundRow("CONFIG_ID_AEI");
    ShowRelayControls(position >= 1);
}

void CLoraWanSettingDlg::ShowRelayControls(bool show) {
    ShowDlgItem(IDC_LRWAN_GROUP_RELAY, show);
    for (const RelayRow& row : kRelayRows) {
        // Hidden rows keep their values; GetValues still reads them.
        ShowDlgItem(row.value, show);
        EnableDlgItem(row.value, show);
        ShowDlgItem(row.label, show);
        if (row.note != 0) ShowDlgItem(row.note, show);
    }
}
