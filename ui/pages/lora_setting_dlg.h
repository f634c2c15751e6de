#pragma once

#include "ui/pages/config_page.h"

// Network page of the relay-network ("STANDARD") firmware, versions V1 and V2.
// Every control follows the module's supported set; the note tells the user
// why some stay disabled.
class CLoraSettingDlg : public CConfigPage {
    Q_OBJECT
public:
    CLoraSettingDlg();

protected:
    void UpdateLabels() override;
};
