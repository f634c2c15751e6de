#include "ui/pages/serial_port_setting_dlg.h"

#include "resources/dialog_templates.h"
#include "resources/uart_page_ids.h"

namespace {

constexpr PageBinding kUartBindings[] = {
    {"CONFIG_ID_BAUDRATE", IDC_UART_COMBO_BAUDRATE, IDC_UART_STATIC_BAUDRATE},
    {"CONFIG_ID_FRAME_INETRVAL", IDC_UART_EDIT_FRAME_INTERVAL, IDC_UART_STATIC_FRAME_INTERVAL},
    {"CONFIG_ID_PARITY", IDC_UART_COMBO_PARITY, IDC_UART_STATIC_PARITY},
    {"CONFIG_ID_STOPBITS", IDC_UART_COMBO_STOPBITS, IDC_UART_STATIC_STOPBITS},
};

}  // namespace

CSerialPortSettingDlg::CSerialPortSettingDlg() : CConfigPage(g_uartPageTemplate, kUartBindings) {}
