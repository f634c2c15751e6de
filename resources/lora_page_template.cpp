#include "resources/dialog_templates.h"
#include "resources/lora_page_ids.h"

namespace {

// Template order is tab order.
constexpr ControlTemplate kLoraPageRows[] = {
    {IDC_LORA_STATIC_DEVICE_ID, ControlKind::Label, "Device ID", 75, 62, 70, 8, kNoStyle},
    {IDC_LORA_STATIC_SKY_RATE, ControlKind::Label, "Air Rate", 75, 194, 70, 8, kNoStyle},
    {IDC_LORA_COMBO_SKY_RATE, ControlKind::ComboBox, "", 165, 191, 60, 90, kDropDownList},
    {IDC_LORA_STATIC_CARRIER_FREQUENCY, ControlKind::Label, "Radio frequency", 75, 160, 71, 9,
     kNoStyle},
    {IDC_LORA_STATIC_POWER, ControlKind::Label, "Power", 75, 214, 70, 8, kNoStyle},
    {IDC_LORA_COMBO_DEVICE_TYPE, ControlKind::ComboBox, "", 165, 41, 60, 84, kDropDownList},
    {IDC_LORA_EDIT_DEVICE_ID, ControlKind::Edit, "", 165, 59, 60, 12, kNoStyle},
    {IDC_LORA_STATIC_DEVICE_TYPE, ControlKind::Label, "Device Type", 75, 43, 73, 8, kNoStyle},
    {IDC_LORA_STATIC_RELAY_ADDRESS, ControlKind::Label, "Relay Addr", 75, 79, 74, 8, kNoStyle},
    {IDC_LORA_EDIT_RELAY_ADDRESS, ControlKind::Edit, "", 165, 77, 60, 12, kNoStyle},
    {IDC_LORA_STATIC_TRANSPORT_ADDRESS, ControlKind::Label, "Trans Addr", 75, 97, 72, 8, kNoStyle},
    {IDC_LORA_EDIT_TRANSPORT_ADDRESS, ControlKind::Edit, "", 165, 95, 60, 12, kNoStyle},
    {IDC_LORA_EDIT_CARRIER_FREQUENCY, ControlKind::Edit, "", 165, 158, 61, 12, kNoStyle},
    {IDC_LORA_STATIC_NETWORK_ID, ControlKind::Label, "Network ID", 75, 27, 74, 8, kNoStyle},
    {IDC_LORA_EDIT_NETWORK_ID, ControlKind::Edit, "", 165, 24, 60, 12, kNoStyle},
    {-1, ControlKind::Label, "(0~65527)", 240, 26, 36, 8, kNoStyle},
    {-1, ControlKind::Label, "(0~65535)", 240, 80, 36, 8, kNoStyle},
    {-1, ControlKind::Label, "(0~65527)", 240, 60, 36, 8, kNoStyle},
    {-1, ControlKind::Label, "(0~65535)", 240, 97, 36, 8, kNoStyle},
    {-1, ControlKind::Label, "(410~441, 470~510, 850~950)", 240, 160, 104, 8, kNoStyle},
    {IDC_LORA_COMBO_POWER, ControlKind::ComboBox, "", 165, 211, 60, 65, kDropDownList | kSorted},
    {IDC_LORA_STATIC_ANTENNA, ControlKind::Label, "(Need corresponding antenna )", 75, 176, 138, 8,
     kNoStyle},
    {-1, ControlKind::GroupBox, "Netwrok", 26, 7, 352, 131, kNoStyle},
    {-1, ControlKind::GroupBox, "Radio", 26, 143, 351, 87, kNoStyle},
    {-1, ControlKind::Label, "dBm", 240, 213, 14, 8, kNoStyle},
    {-1, ControlKind::Label, "MHz", 347, 160, 26, 8, kNoStyle},
    {IDC_LORA_STATIC_DISABLED_NOTE, ControlKind::Label, "Some Field disable in current version", 75,
     121, 240, 8, kNoStyle},
};

}  // namespace

extern const DialogTemplate g_loraPageTemplate =
    MakeDialogTemplate(IDD_LORA_PAGE, "", 405, 250, 8, kChild, kLoraPageRows);
