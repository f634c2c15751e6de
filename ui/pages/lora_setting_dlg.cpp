#include "ui/pages/lora_setting_dlg.h"

#include "catalogue/lang_text.h"
#include "resources/dialog_templates.h"
#include "resources/lora_page_ids.h"
#include "ui/lang_captions.h"

namespace {

constexpr PageBinding kLoraBindings[] = {
    {"CONFIG_ID_RELAY_ADDRESS", IDC_LORA_EDIT_RELAY_ADDRESS, IDC_LORA_STATIC_RELAY_ADDRESS},
    {"CONFIG_ID_ENTWORK_ID", IDC_LORA_EDIT_NETWORK_ID, IDC_LORA_STATIC_NETWORK_ID},
    {"CONFIG_ID_DEVICE_TYPE", IDC_LORA_COMBO_DEVICE_TYPE, IDC_LORA_STATIC_DEVICE_TYPE},
    {"CONFIG_ID_DEVICE_ID", IDC_LORA_EDIT_DEVICE_ID, IDC_LORA_STATIC_DEVICE_ID},
    {"CONFIG_ID_TRANSPORT_ADDRESS", IDC_LORA_EDIT_TRANSPORT_ADDRESS,
     IDC_LORA_STATIC_TRANSPORT_ADDRESS},
    {"CONFIG_ID_CARRIER_FREQUENCY", IDC_LORA_EDIT_CARRIER_FREQUENCY,
     IDC_LORA_STATIC_CARRIER_FREQUENCY},
    {"CONFIG_ID_POWER", IDC_LORA_COMBO_POWER, IDC_LORA_STATIC_POWER},
    {"CONFIG_ID_SKY_RATE", IDC_LORA_COMBO_SKY_RATE, IDC_LORA_STATIC_SKY_RATE},
};

constexpr LangCaption kNotes[] = {
    {IDC_LORA_STATIC_DISABLED_NOTE, TEXT_FIELDS_NOT_MODIFIABLE},
    {IDC_LORA_STATIC_ANTENNA, TEXT_NEED_ANTENNA},
};

}  // namespace

CLoraSettingDlg::CLoraSettingDlg() : CConfigPage(g_loraPageTemplate, kLoraBindings) {}

void CLoraSettingDlg::UpdateLabels() {
    CConfigPage::UpdateLabels();
    SetLangCaptions(*this, kNotes);
}
