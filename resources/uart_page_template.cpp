#include "resources/dialog_templates.h"
#include "resources/uart_page_ids.h"

namespace {

// Template order is tab order.
constexpr ControlTemplate kUartPageRows[] = {
    {IDC_UART_STATIC_BAUDRATE, ControlKind::Label, "", 75, 24, 63, 8, kNoStyle},
    {IDC_UART_COMBO_BAUDRATE, ControlKind::ComboBox, "", 165, 22, 60, 53, kDropDownList},
    {IDC_UART_STATIC_FRAME_INTERVAL, ControlKind::Label, "", 75, 48, 70, 8, kNoStyle},
    {IDC_UART_EDIT_FRAME_INTERVAL, ControlKind::Edit, "", 165, 47, 60, 12, kNoStyle},
    {-1, ControlKind::Label, "(1~65535)ms", 240, 48, 44, 8, kNoStyle},
    {IDC_UART_STATIC_PARITY, ControlKind::Label, "", 75, 70, 57, 8, kNoStyle},
    {IDC_UART_COMBO_PARITY, ControlKind::ComboBox, "", 165, 69, 60, 68, kDropDownList},
    {IDC_UART_STATIC_STOPBITS, ControlKind::Label, "", 75, 94, 54, 8, kNoStyle},
    {IDC_UART_COMBO_STOPBITS, ControlKind::ComboBox, "", 165, 93, 60, 68, kDropDownList},
};

}  // namespace

extern const DialogTemplate g_uartPageTemplate =
    MakeDialogTemplate(IDD_UART_PAGE, "", 405, 195, 8, kChild, kUartPageRows);
