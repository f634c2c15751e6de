#pragma once

#include <string>

#include "ui/template_dialog.h"

class CComDevice;

// The firmware upgrade dialog: the user picks a ".bin" image and the options,
// and "Upgrade" closes the dialog and runs the transfer under the wait dialog,
// then reports the outcome. The chosen path stays in the device
// (CComDevice::m_upgradeFile), so the next opening shows it again; the check
// boxes start afresh at every opening.
class CUpgradeDlg : public TemplateDialog {
    Q_OBJECT
public:
    CUpgradeDlg(QWidget* parent, CComDevice* device);

    void ApplyLanguageTexts();
    void OnBnClickedBrowse();
    void OnBnClickedUpgrade();

protected:
    bool OnInitDialog() override;

private:
    std::string m_filePath;  // last pick of the file chooser, also when refused
    CComDevice* m_pDevice;   // not owned
};
