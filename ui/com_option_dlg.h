#pragma once

#include "link/com_device.h"
#include "ui/template_dialog.h"

// The PC port's line settings: baud rate, data bits, stop bits and parity.
// The caller fills m_settings, runs the dialog and takes m_settings back only
// when DoModal answers IDOK. Nothing is stored: the settings last for the run.
class CComOptionDlg : public TemplateDialog {
    Q_OBJECT
public:
    explicit CComOptionDlg(QWidget* parent = nullptr);

    ComPortSettings m_settings{115200, 8, 0, 0};

    void ApplyLanguageTexts();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};
