#pragma once

#include <QTimer>
#include <string>

#include "ui/template_dialog.h"

class CComDevice;

// The command window: a raw terminal to the module. Sends go straight to the
// port on the UI thread, once or from a timer; what the module sends comes
// back through the device's receive thread, which runs while the window is
// open, into the main window's log as raw records.
//
// Settings (section CONFIG of ParamCfg.ini): SendTimer and SendTimerState are
// read at opening; CmdHex, SendTimer, SendTimerState and SendNewLine are
// written at closing. Hex and Newline always start unticked.
class CCmdConfigDialog : public TemplateDialog {
    Q_OBJECT
public:
    // Periods below this many milliseconds are raised to it.
    static constexpr int kMinSendPeriodMs = 100;
    enum : int { TIMER_CMD_SEND = 1 };

    CCmdConfigDialog(QWidget* parent, CComDevice* device);
    ~CCmdConfigDialog() override;

    void ApplyLanguageTexts();
    void OnBnClickedClear();
    // Port closed: the error line "COM not open". Timer ticked: (re)starts the
    // periodic send, whose first send follows one period later. Otherwise one
    // send now.
    void OnBnClickedSend();
    void OnBnClickedSendTimer();
    void OnTimer(int id);
    void SendCommand();
    void SaveSettings();
    // On the receive thread: the bytes up to the first zero byte become one
    // raw log record. Touches no window.
    void OnReceive(char* data, unsigned long length, void* user);

    bool IsSendTimerRunning() const { return m_sendTimer.isActive(); }

protected:
    bool OnInitDialog() override;
    // Runs when the dialog has ended, whichever way, and at the latest from
    // the destructor.
    void OnDestroy();

private:
    CComDevice* m_pDevice;  // not owned
    std::string m_iniPath;
    QTimer m_sendTimer;
    bool m_open = false;  // between OnInitDialog and OnDestroy
};
