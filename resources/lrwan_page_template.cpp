#include "resources/dialog_templates.h"
#include "resources/lrwan_page_ids.h"

namespace {

// Template order is tab order.
constexpr ControlTemplate kLrwanPageRows[] = {
    {IDC_LRWAN_STATIC_DEI, ControlKind::Label, "DEI", 36, 63, 61, 8, kNoStyle},
    {IDC_LRWAN_STATIC_AEI, ControlKind::Label, "AEI", 36, 95, 61, 8, kNoStyle},
    {IDC_LRWAN_STATIC_AKY, ControlKind::Label, "AKY", 36, 79, 61, 8, kNoStyle},
    {IDC_LRWAN_STATIC_CLASS, ControlKind::Label, "Class", 36, 31, 61, 8, kNoStyle},
    {IDC_LRWAN_STATIC_CFM, ControlKind::Label, "CFM", 36, 47, 61, 8, kNoStyle},
    {IDC_LRWAN_EDIT_DEI, ControlKind::Edit, "", 100, 57, 179, 14, kNoStyle},
    {IDC_LRWAN_EDIT_AEI, ControlKind::Edit, "", 100, 91, 179, 14, kNoStyle},
    {IDC_LRWAN_EDIT_AKY, ControlKind::Edit, "", 100, 74, 179, 14, kNoStyle},
    {IDC_LRWAN_COMBO_CLASS, ControlKind::ComboBox, "", 100, 27, 69, 77, kDropDownList | kSorted},
    {IDC_LRWAN_COMBO_CFM, ControlKind::ComboBox, "", 100, 42, 69, 78, kDropDownList | kSorted},
    {IDC_LRWAN_STATIC_DEVICE_ID, ControlKind::Label, "Device ID", 36, 140, 61, 8, kNoStyle},
    // Wider than the combo boxes below it (69) so that "Blind-Spot-Device"
    // shows whole in the closed box beside the drop-down button.
    {IDC_LRWAN_COMBO_DEVICE_TYPE, ControlKind::ComboBox, "", 100, 12, 80, 84, kDropDownList},
    {IDC_LRWAN_EDIT_DEVICE_ID, ControlKind::Edit, "", 102, 137, 69, 12, kNoStyle},
    {IDC_LRWAN_STATIC_DEVICE_TYPE, ControlKind::Label, "Device Type", 36, 15, 61, 8, kNoStyle},
    {IDC_LRWAN_STATIC_TRANSPORT_ADDRESS, ControlKind::Label, "Trans Addr", 36, 157, 61, 8,
     kNoStyle},
    {IDC_LRWAN_EDIT_TRANSPORT_ADDRESS, ControlKind::Edit, "", 102, 154, 69, 12, kNoStyle},
    {IDC_LRWAN_STATIC_NETWORK_ID, ControlKind::Label, "Network ID", 36, 122, 61, 8, kNoStyle},
    {IDC_LRWAN_EDIT_NETWORK_ID, ControlKind::Edit, "", 102, 119, 69, 12, kNoStyle},
    {IDC_LRWAN_STATIC_NETWORK_ID_RANGE, ControlKind::Label, "(0~65527)", 181, 121, 36, 8, kNoStyle},
    {IDC_LRWAN_STATIC_DEVICE_ID_RANGE, ControlKind::Label, "(0~65527)", 181, 141, 36, 8, kNoStyle},
    {IDC_LRWAN_STATIC_TRANSPORT_ADDRESS_RANGE, ControlKind::Label, "(0~65535)", 181, 156, 36, 8,
     kNoStyle},
    {IDC_LRWAN_STATIC_SKY_RATE, ControlKind::Label, "Air Rate", 36, 174, 61, 8, kNoStyle},
    {IDC_LRWAN_COMBO_SKY_RATE, ControlKind::ComboBox, "", 102, 171, 69, 90, kDropDownList},
    {IDC_LRWAN_STATIC_CARRIER_FREQUENCY, ControlKind::Label, "Radio frequency", 36, 208, 61, 8,
     kNoStyle},
    {IDC_LRWAN_STATIC_POWER, ControlKind::Label, "Power", 36, 191, 61, 8, kNoStyle},
    {IDC_LRWAN_EDIT_CARRIER_FREQUENCY, ControlKind::Edit, "", 102, 205, 69, 12, kNoStyle},
    {IDC_LRWAN_STATIC_FREQUENCY_RANGE, ControlKind::Label, "(410~441, 470~510, 850~950)", 181, 207,
     104, 8, kNoStyle},
    {IDC_LRWAN_COMBO_POWER, ControlKind::ComboBox, "", 102, 188, 69, 65, kDropDownList | kSorted},
    {IDC_LRWAN_STATIC_POWER_UNIT, ControlKind::Label, "dBm", 181, 191, 36, 8, kNoStyle},
    {IDC_LRWAN_GROUP_RELAY, ControlKind::GroupBox, "RelayNetworkParams", 23, 110, 361, 115,
     kNoStyle},
};

}  // namespace

extern const DialogTemplate g_lrwanPageTemplate =
    MakeDialogTemplate(IDD_LRWAN_PAGE, "", 406, 239, 8, kChild, kLrwanPageRows);
