#include "resources/dialog_templates.h"
#include "resources/system_page_ids.h"

namespace {

// Template order is tab order.
constexpr ControlTemplate kSystemPageRows[] = {
    {IDC_SYS_STATIC_WORK_MODE, ControlKind::Label, "", 75, 11, 67, 8, kNoStyle},
    {IDC_SYS_COMBO_WORK_MODE, ControlKind::ComboBox, "", 165, 8, 60, 83, kDropDownList},
    {IDC_SYS_STATIC_DEBUG_LEVEL, ControlKind::Label, "", 75, 27, 67, 8, kNoStyle},
    {IDC_SYS_COMBO_DEBUG_LEVEL, ControlKind::ComboBox, "", 165, 25, 60, 88, kDropDownList},
    {IDC_SYS_STATIC_DATA_DISPLAY_MODE, ControlKind::Label, "", 75, 46, 67, 8, kNoStyle},
    {IDC_SYS_COMBO_DATA_DISPLAY_MODE, ControlKind::ComboBox, "", 165, 43, 60, 75, kDropDownList},
    // Wider than the other labels (67) so that "Send Complete Notification"
    // fits on one line in the dialog font; it still ends before the combo box.
    {IDC_SYS_STATIC_SEND_COMPLETE, ControlKind::Label, "", 75, 63, 88, 8, kNoStyle},
    {IDC_SYS_COMBO_SEND_COMPLETE, ControlKind::ComboBox, "", 165, 61, 60, 76, kDropDownList},
    {IDC_SYS_STATIC_SLEEP_MODE, ControlKind::Label, "", 75, 81, 67, 8, kNoStyle},
    {IDC_SYS_COMBO_SLEEP_MODE, ControlKind::ComboBox, "", 165, 79, 60, 73, kDropDownList},
    {IDC_SYS_STATIC_AUTO_JOIN, ControlKind::Label, "", 75, 98, 67, 8, kNoStyle},
    {IDC_SYS_COMBO_AUTO_JOIN, ControlKind::ComboBox, "", 165, 96, 60, 73, kDropDownList},
    {IDC_SYS_STATIC_HEART_PERIOD, ControlKind::Label, "", 75, 113, 67, 8, kNoStyle},
    {IDC_SYS_EDIT_HEART_PERIOD, ControlKind::Edit, "", 165, 114, 60, 12, kNoStyle},
    {IDC_SYS_STATIC_HEART_PERIOD_RANGE, ControlKind::Label, "(0~65535)s", 237, 116, 59, 8,
     kNoStyle},
    {IDC_SYS_CHECK_WAKEUP_MODE, ControlKind::CheckBox, "", 75, 128, 97, 10, kNoStyle},
    // The radios are as tall as the check box (10, not 8): the round
    // indicator is taller than one line of the dialog font.
    {IDC_SYS_RADIO_WAKEUP_NODE, ControlKind::RadioButton, "", 75, 144, 75, 10, kGroup},
    {IDC_SYS_STATIC_PREAMBLE_TIME, ControlKind::Label, "", 75, 159, 75, 8, kNoStyle},
    {IDC_SYS_COMBO_PREAMBLE_TIME, ControlKind::ComboBox, "", 165, 157, 60, 72, kDropDownList},
    {IDC_SYS_STATIC_PREAMBLE_TIME_RANGE, ControlKind::Label, "(0~5)sec", 240, 159, 59, 8, kNoStyle},
    {IDC_SYS_RADIO_SLEEP_NODE, ControlKind::RadioButton, "", 75, 178, 75, 10, kNoStyle},
    {IDC_SYS_STATIC_SLEEP_TIME, ControlKind::Label, "", 75, 193, 75, 8, kNoStyle},
    {IDC_SYS_COMBO_SLEEP_TIME, ControlKind::ComboBox, "", 165, 191, 60, 73, kDropDownList},
    {IDC_SYS_STATIC_SLEEP_TIME_RANGE, ControlKind::Label, "(0~5)sec", 240, 194, 59, 8, kNoStyle},
    {IDC_SYS_STATIC_WAKEUP_TIME, ControlKind::Label, "", 75, 210, 75, 8, kNoStyle},
    {IDC_SYS_EDIT_WAKEUP_TIME, ControlKind::Edit, "", 165, 208, 60, 12, kNoStyle},
    {IDC_SYS_STATIC_WAKEUP_TIME_RANGE, ControlKind::Label, "(0~65535)ms", 240, 208, 59, 8,
     kNoStyle},
};

}  // namespace

extern const DialogTemplate g_systemPageTemplate =
    MakeDialogTemplate(IDD_SYSTEM_PAGE, "", 405, 250, 8, kChild, kSystemPageRows);
