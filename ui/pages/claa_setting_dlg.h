#pragma once

#include "ui/pages/config_page.h"

// Network page of the CLAA firmware. The AppEUI is kept but never shown once
// values have been set: the module's AppEUI is not for the user to change here.
class CClaaSettingDlg : public CConfigPage {
    Q_OBJECT
public:
    CClaaSettingDlg();

    void UpdateControlStates() override;
};
