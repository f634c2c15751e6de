#pragma once

#include "ui/pages/config_page.h"

// The module's own UART (baud rate, frame interval, parity, stop bits); not
// the PC's port.
class CSerialPortSettingDlg : public CConfigPage {
    Q_OBJECT
public:
    CSerialPortSettingDlg();
};
