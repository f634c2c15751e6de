#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "resources/dialog_result.h"
#include "resources/dialog_template.h"
#include "ui/dialog_units.h"

class ComboBox;
class TabControl;
class QLineEdit;
class QPushButton;
class QProgressBar;
struct PostedMessage;
class PostedMessageQueue;

// A QDialog whose controls are built from a DialogTemplate and found by id.
//
// Life of a dialog, as the Windows dialogs it stands for:
//  - construction builds every control, so GetDlgItem works at once;
//  - a modal dialog runs OnInitDialog inside DoModal()/exec() before it shows;
//    a child dialog (a page) runs it inside Create(parent);
//  - buttons with id IDOK/IDCANCEL call OnOK/OnCancel; Enter clicks the push
//    button that has the focus, else the default button, else calls OnOK; Esc
//    and a close request call OnCancel;
//  - OnOK/OnCancel end the dialog with IDOK/IDCANCEL through EndDialog.
// Messages posted from any thread (ui/posted_message.h) reach the handler added
// for their number with AddMessageHandler, on the UI thread.
class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    explicit TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);
    ~TemplateDialog() override;

    const DialogTemplate& Template() const { return m_template; }
    const DialogUnits& Units() const { return m_units; }

    // Modal run: OnInitDialog, then the event loop until EndDialog. Returns
    // the code given to EndDialog (IDOK, IDCANCEL).
    int DoModal() { return exec(); }
    int exec() override;
    // Child dialog: becomes a hidden child of parent at 0, 0 and runs OnInitDialog.
    bool Create(QWidget* parent);
    void EndDialog(int result);

    // Controls by id; null when the template has no such id.
    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* DlgItem(int id) const {
        return qobject_cast<T*>(GetDlgItem(id));
    }
    ComboBox* Combo(int id) const;
    TabControl* Tab(int id) const;
    QPushButton* Button(int id) const;

    // The operations the dialogs perform on a control, by id. An unknown id
    // does nothing and reads as empty, 0 or -1.
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    void EnableDlgItem(int id, bool enable);
    void ShowDlgItem(int id, bool show);
    int IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, int check);

    // Centres the dialog over its parent (or the screen without one).
    void CenterWindow();
    // Dialog units to pixels with this dialog's font.
    QRect MapDialogRect(int x, int y, int w, int h) const { return m_units.ToPixels(x, y, w, h); }

    using MessageHandler = std::function<void(PostedMessage&)>;
    void AddMessageHandler(int message, MessageHandler handler);
    // Sees every posted message just before its handler (tests, tracing).
    void SetMessageObserver(MessageHandler observer);

protected:
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

private:
    void BuildControls();
    QWidget* BuildControl(const ControlTemplate& row);
    void RunInitOnce();
    // The push button Enter acts on; null when Enter means IDOK.
    QPushButton* EnterButton() const;
    void DispatchMessage(PostedMessage& message);

    const DialogTemplate& m_template;
    DialogUnits m_units;
    std::map<int, QWidget*> m_controlById;
    std::map<int, MessageHandler> m_handlers;
    MessageHandler m_observer;
    std::unique_ptr<PostedMessageQueue> m_queue;
    bool m_initDone = false;
    bool m_ended = false;
    int m_endResult = 0;
};
