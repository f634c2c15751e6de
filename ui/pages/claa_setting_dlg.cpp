#include "ui/pages/claa_setting_dlg.h"

#include "resources/claa_page_ids.h"
#include "resources/dialog_templates.h"

namespace {

constexpr PageBinding kClaaBindings[] = {
    {"CONFIG_ID_DEI", IDC_CLAA_EDIT_DEI, IDC_CLAA_STATIC_DEI},
    {"CONFIG_ID_AEI", IDC_CLAA_EDIT_AEI, IDC_CLAA_STATIC_AEI},
    {"CONFIG_ID_AKY", IDC_CLAA_EDIT_AKY, IDC_CLAA_STATIC_AKY},
    {"CONFIG_ID_CLASS", IDC_CLAA_COMBO_CLASS, IDC_CLAA_STATIC_CLASS},
    {"CONFIG_ID_CFM", IDC_CLAA_COMBO_CFM, IDC_CLAA_STATIC_CFM},
    {"CONFIG_ID_CLAA_MODE", IDC_CLAA_COMBO_MODE, IDC_CLAA_STATIC_MODE},
};

}  // namespace

CClaaSettingDlg::CClaaSettingDlg() : CConfigPage(g_claaPageTemplate, kClaaBindings) {}

void CClaaSettingDlg::UpdateControlStates() {
    CConfigPageHelper::UpdateControlStates();
    HideBoundRow("CONFIG_ID_AEI");
}
