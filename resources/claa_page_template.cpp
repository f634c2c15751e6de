#include "resources/claa_page_ids.h"
#include "resources/dialog_templates.h"

namespace {

// Template order is tab order.
constexpr ControlTemplate kClaaPageRows[] = {
    {IDC_CLAA_STATIC_DEI, ControlKind::Label, "DEI", 75, 35, 57, 8, kNoStyle},
    {IDC_CLAA_STATIC_AEI, ControlKind::Label, "AEI", 75, 17, 57, 8, kNoStyle},
    {IDC_CLAA_STATIC_AKY, ControlKind::Label, "AKY", 75, 52, 57, 8, kNoStyle},
    {IDC_CLAA_STATIC_CLASS, ControlKind::Label, "Class", 75, 69, 57, 8, kNoStyle},
    {IDC_CLAA_STATIC_CFM, ControlKind::Label, "CFM", 75, 87, 57, 8, kNoStyle},
    {IDC_CLAA_EDIT_DEI, ControlKind::Edit, "", 150, 32, 179, 14, kNoStyle},
    {IDC_CLAA_EDIT_AEI, ControlKind::Edit, "", 150, 14, 179, 14, kNoStyle},
    {IDC_CLAA_EDIT_AKY, ControlKind::Edit, "", 150, 49, 179, 14, kNoStyle},
    {IDC_CLAA_COMBO_CLASS, ControlKind::ComboBox, "", 149, 67, 69, 77, kDropDownList | kSorted},
    {IDC_CLAA_COMBO_CFM, ControlKind::ComboBox, "", 149, 85, 69, 78, kDropDownList | kSorted},
    {IDC_CLAA_STATIC_MODE, ControlKind::Label, "CLAA Mode", 75, 107, 57, 8, kNoStyle},
    {IDC_CLAA_COMBO_MODE, ControlKind::ComboBox, "", 149, 105, 69, 123, kDropDownList | kSorted},
};

}  // namespace

extern const DialogTemplate g_claaPageTemplate =
    MakeDialogTemplate(IDD_CLAA_PAGE, "", 405, 195, 8, kChild, kClaaPageRows);
