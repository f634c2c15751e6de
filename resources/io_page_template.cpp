#include "resources/dialog_templates.h"
#include "resources/io_page_ids.h"

namespace {

// Template order is tab order.
constexpr ControlTemplate kIoPageRows[] = {
    {IDC_IO_GROUP_D1, ControlKind::GroupBox, "Pin D1", 64, 2, 284, 30, kNoStyle},
    {IDC_IO_STATIC_DM1, ControlKind::Label, "", 76, 16, 38, 9, kNoStyle},
    {IDC_IO_COMBO_DM1, ControlKind::ComboBox, "", 114, 13, 79, 73, kDropDownList},
    {IDC_IO_STATIC_DT1, ControlKind::Label, "", 202, 16, 39, 8, kNoStyle},
    {IDC_IO_EDIT_DT1, ControlKind::Edit, "", 245, 13, 40, 14, kDigitsOnly},
    {-1, ControlKind::Label, "(0-65535)sec", 292, 16, 44, 8, kNoStyle},
    {IDC_IO_GROUP_D2, ControlKind::GroupBox, "Pin D2", 64, 32, 284, 30, kNoStyle},
    {IDC_IO_STATIC_DM2, ControlKind::Label, "", 76, 46, 38, 9, kNoStyle},
    {IDC_IO_COMBO_DM2, ControlKind::ComboBox, "", 114, 43, 79, 73, kDropDownList},
    {IDC_IO_STATIC_DT2, ControlKind::Label, "", 202, 46, 39, 8, kNoStyle},
    {IDC_IO_EDIT_DT2, ControlKind::Edit, "", 245, 43, 40, 14, kDigitsOnly},
    {-1, ControlKind::Label, "(0-65535)sec", 292, 46, 44, 8, kNoStyle},
    {IDC_IO_GROUP_D3, ControlKind::GroupBox, "Pin D3", 64, 62, 283, 30, kNoStyle},
    {IDC_IO_STATIC_DM3, ControlKind::Label, "", 76, 76, 38, 9, kNoStyle},
    {IDC_IO_COMBO_DM3, ControlKind::ComboBox, "", 114, 73, 79, 73, kDropDownList},
    {IDC_IO_STATIC_DT3, ControlKind::Label, "", 202, 76, 39, 8, kNoStyle},
    {IDC_IO_EDIT_DT3, ControlKind::Edit, "", 245, 73, 40, 14, kDigitsOnly},
    {-1, ControlKind::Label, "(0-65535)sec", 292, 76, 44, 8, kNoStyle},
    {IDC_IO_GROUP_D4, ControlKind::GroupBox, "Pin D4", 64, 92, 283, 30, kNoStyle},
    {IDC_IO_STATIC_DM4, ControlKind::Label, "", 76, 106, 38, 9, kNoStyle},
    {IDC_IO_COMBO_DM4, ControlKind::ComboBox, "", 114, 103, 79, 73, kDropDownList},
    {IDC_IO_STATIC_DT4, ControlKind::Label, "", 202, 106, 39, 8, kNoStyle},
    {IDC_IO_EDIT_DT4, ControlKind::Edit, "", 245, 103, 40, 14, kDigitsOnly},
    {-1, ControlKind::Label, "(0-65535)sec", 292, 106, 44, 8, kNoStyle},
    {IDC_IO_GROUP_D5, ControlKind::GroupBox, "Pin D5", 64, 123, 283, 30, kNoStyle},
    {IDC_IO_STATIC_DM5, ControlKind::Label, "", 76, 137, 38, 9, kNoStyle},
    {IDC_IO_COMBO_DM5, ControlKind::ComboBox, "", 114, 134, 79, 73, kDropDownList},
    {IDC_IO_STATIC_DT5, ControlKind::Label, "", 202, 137, 39, 8, kNoStyle},
    {IDC_IO_EDIT_DT5, ControlKind::Edit, "", 245, 134, 40, 14, kDigitsOnly},
    {-1, ControlKind::Label, "(0-65535)sec", 292, 137, 44, 8, kNoStyle},
};

}  // namespace

extern const DialogTemplate g_ioPageTemplate =
    MakeDialogTemplate(IDD_IO_PAGE, "", 405, 250, 8, kChild, kIoPageRows);
