#include "ui/upgrade_dlg.h"

#include <QPushButton>

#include "catalogue/lang_text.h"
#include "link/com_device.h"
#include "resources/dialog_templates.h"
#include "resources/upgrade_dialog_ids.h"
#include "ui/controls.h"
#include "ui/fenwold_dlg.h"
#include "ui/file_chooser.h"
#include "ui/lang_captions.h"
#include "ui/message_box.h"
#include "ui/wait_dialog.h"

namespace {

constexpr int kBlockSize = 4096;
constexpr int kSmallBlockSize = 512;  // the K7R40S loader's buffer

constexpr LangCaption kCaptions[] = {
    {IDC_UPG_STATIC_FILE, TEXT_UPGRADE_FILE},
    {IDC_UPG_CHECK_RESTART_FIRST, TEXT_UPGRADE_RESTART_FIRST},
    {IDC_UPG_CHECK_RESTORE_AFTER, TEXT_UPGRADE_RESTORE_AFTER},
    {IDC_UPG_BUTTON_BROWSE, TEXT_UPGRADE_BROWSE},
    {IDC_UPG_BUTTON_UPGRADE, TEXT_UPGRADE_BUTTON},
};

// Exactly these two spellings, anywhere in the path: a folder named
// "images.bin" passes, "image.Bin" does not.
bool IsFirmwarePath(const std::string& path) {
    return path.find(".bin") != std::string::npos || path.find(".BIN") != std::string::npos;
}

}  // namespace

CUpgradeDlg::CUpgradeDlg(QWidget* parent, CComDevice* device)
    : TemplateDialog(g_upgradeDialogTemplate, parent), m_pDevice(device) {
    connect(Button(IDC_UPG_BUTTON_BROWSE), &QPushButton::clicked, this,
            [this] { OnBnClickedBrowse(); });
    connect(Button(IDC_UPG_BUTTON_UPGRADE), &QPushButton::clicked, this,
            [this] { OnBnClickedUpgrade(); });
}

bool CUpgradeDlg::OnInitDialog() {
    CenterWindow();
    ApplyLanguageTexts();
    SetDlgItemText(IDC_UPG_EDIT_FILE, m_pDevice != nullptr ? m_pDevice->m_upgradeFile : "");
    CheckDlgButton(IDC_UPG_CHECK_RESTORE_AFTER, 1);
    return true;
}

void CUpgradeDlg::ApplyLanguageTexts() {
    SetWindowText(this, GetLangText(TEXT_UPGRADE_TITLE));
    SetLangCaptions(*this, kCaptions);
}

void CUpgradeDlg::OnBnClickedBrowse() {
    FileChooserRequest request;
    request.filter = "Bin Files(*.bin)|*.bin|All Files(*.*)|*.*||";
    std::string path;
    if (!ChooseFile(request, path, this)) return;
    m_filePath = path;
    if (!IsFirmwarePath(m_filePath)) {
        MessageBox("File Format Error", this);
        return;
    }
    SetDlgItemText(IDC_UPG_EDIT_FILE, m_filePath);
    if (m_pDevice != nullptr) m_pDevice->m_upgradeFile = m_filePath;
}

void CUpgradeDlg::OnBnClickedUpgrade() {
    WaitJob job;
    job.device = m_pDevice;
    job.op = WAIT_OP_UPGRADE;
    // The device's path, not the edit's text: only an accepted pick counts.
    job.filePath = m_pDevice != nullptr ? m_pDevice->m_upgradeFile : std::string();
    job.restartFirst = IsDlgButtonChecked(IDC_UPG_CHECK_RESTART_FIRST) == 1 ? 1 : 0;
    job.restoreAfter = IsDlgButtonChecked(IDC_UPG_CHECK_RESTORE_AFTER) == 1 ? 1 : 0;
    job.blockSize =
        IsDlgButtonChecked(IDC_UPG_CHECK_SMALL_BLOCKS) == 1 ? kSmallBlockSize : kBlockSize;
    // The dialog is gone from the screen from here on; its modal run ends when
    // this handler returns.
    OnOK();

    CWaitDialog wait(this);
    wait.m_pJob = &job;
    wait.DoModal();  // only the job's outcome counts

    QWidget* owner = parentWidget();
    if (job.result != 0) {
        MessageBox(GetLangText(TEXT_UPGRADE_COMPLETE), owner);
    } else {
        std::string text = GetLangText(TEXT_UPGRADE_FAILED);
        if (!job.message.empty()) text += " : " + job.message;
        MessageBox(text, owner);
    }
    if (job.result == 0 || job.restoreAfter == 0) return;
    // RestoreFactory reports its own failure; a reload follows only success.
    if (auto* mainDialog = qobject_cast<CFenwoldDlg*>(owner)) {
        if (mainDialog->RestoreFactory()) mainDialog->LoadParams();
    }
}
