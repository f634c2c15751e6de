// The parameter operations of the main dialog: load, write, restart, factory
// restore, export and import. Everything that talks to the module runs as a
// job under the wait dialog; the results are taken over after it has joined
// its worker.
#include "catalogue/config_param.h"
#include "catalogue/lang_text.h"
#include "catalogue/log_record.h"
#include "resources/main_dialog_ids.h"
#include "ui/device_version.h"
#include "ui/fenwold_dlg.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"
#include "ui/pages/config_page_helper.h"
#include "ui/file_write_reason.h"
#include "ui/param_file.h"
#include "ui/wait_dialog.h"

namespace {

// A value goes into a set line as it stands, so a carriage return or line
// feed inside it (an imported file can carry one) would end the line early
// and send the rest to the module as further commands.
bool HoldsLineBreak(const std::string& value) {
    return value.find_first_of("\r\n") != std::string::npos;
}

bool IsWritable(const ConfigParam& param, const std::string& value) {
    if (HoldsLineBreak(value)) return false;
    return param.domain == nullptr || param.domain->IsValid(value);
}

FileChooserRequest ParamFileRequest(bool save) {
    FileChooserRequest request;
    request.save = save;
    request.initialFile = "ConfigFile.ini";
    request.filter = "INI Files (*.ini)|*.ini|All Files (*.*)|*.*||";
    request.overwritePrompt = true;
    return request;
}

}  // namespace

int CFenwoldDlg::RunWaitJob(WaitJob& job) {
    job.device = m_pDevice;
    CWaitDialog wait(this);
    wait.m_pJob = &job;
    return wait.DoModal();
}

void CFenwoldDlg::LoadParams() {
    WaitJob job;
    job.op = WAIT_OP_LOAD_PARAMS;
    if (RunWaitJob(job) != IDOK || m_pDevice->m_versionText.empty()) return;

    g_deviceVersion = m_pDevice->m_versionText;
    if (m_uiState < UI_MODULE_RECOGNISED) {
        SetUiState(UI_MODULE_RECOGNISED);
    } else if (GetDlgItemText(IDC_EDIT_VERSION) != m_pDevice->m_versionText) {
        HidePages();
        SetUiState(UI_MODULE_RECOGNISED);
    }
    if (!job.readValues.empty()) {
        m_pDevice->m_paramValues = job.readValues;
        DistributeParams(job.readValues);
    }
    SetUiState(UI_PAGES_SHOWN);
}

void CFenwoldDlg::SaveParams() {
    ParamValueMap changed;
    CollectParams(changed, m_pDevice->m_supportedParams);
    for (const auto& [id, value] : m_pDevice->m_paramValues) {
        const auto found = changed.find(id);
        if (found != changed.end() && found->second == value) changed.erase(found);
    }

    ParamValueMap valid;
    ParamValueMap invalid;
    for (const auto& [id, value] : changed) {
        const ConfigParam* param = m_pDevice->FindConfigParam(id);
        if (param == nullptr) continue;
        (IsWritable(*param, value) ? valid : invalid)[id] = value;
    }
    if (!invalid.empty()) {
        const std::string invalidText = GetLangText(TEXT_INVALID_VALUE);
        for (const auto& [id, value] : invalid) {
            const std::string label = m_pDevice->FindConfigParam(id)->GetLabel();
            LogPrintf(LOG_ERROR, "%s %s %s", label.c_str(), invalidText.c_str(), value.c_str());
        }
        return;
    }
    if (valid.empty()) {
        LogPrintf(LOG_INFO, "write param complete. no config changed");
        return;
    }

    WaitJob job;
    job.op = WAIT_OP_WRITE_PARAMS;
    job.writeValues = valid;
    // After a cancel the baseline stays as it was, even for acknowledged sets.
    if (RunWaitJob(job) != IDOK) return;
    for (const auto& [id, value] : job.writtenValues) m_pDevice->m_paramValues[id] = value;
}

bool CFenwoldDlg::RunModuleCommand(int op, const char* success, const char* failure) {
    WaitJob job;
    job.op = op;
    if (RunWaitJob(job) != IDOK) return false;
    if (job.result == 1) {
        LogPrintf(LOG_INFO, "%s", success);
        return true;
    }
    LogPrintf(LOG_ERROR, "%s", failure);
    return false;
}

bool CFenwoldDlg::RestartDevice() {
    return RunModuleCommand(WAIT_OP_RESTART, "reboot success", "reboot fail");
}

bool CFenwoldDlg::RestoreFactory() {
    return RunModuleCommand(WAIT_OP_RESTORE_FACTORY, "restore factory success",
                            "restore factory fail");
}

void CFenwoldDlg::ExportConfig() {
    std::string path;
    if (!ChooseFile(ParamFileRequest(true), path, this)) return;
    ParamValueMap values;
    CollectParams(values, m_pDevice->m_supportedParams);
    const FileWriteFailure failure = WriteParamFile(path, *m_pDevice, values);
    if (failure.step != FileWriteStep::kNone) {
        MessageBox(ExportFailureMessage(failure), this);
        return;
    }
    MessageBox(GetLangText(TEXT_EXPORT_SUCCESS), this);
}

void CFenwoldDlg::ImportConfig() {
    std::string path;
    if (!ChooseFile(ParamFileRequest(false), path, this)) return;
    std::string text;
    if (!ReadParamFileText(path, text)) {
        MessageBox(GetLangText(TEXT_FAILED_OPEN_FILE), this);
        return;
    }
    const ParamValueMap values = ParseParamFileText(*m_pDevice, text);
    if (values.empty()) {
        MessageBox(GetLangText(TEXT_IMPORT_FAILED), this);
        return;
    }
    // The baseline stays: a later write sends what differs from the module.
    DistributeParams(values);
    MessageBox(GetLangText(TEXT_IMPORT_SUCCESS), this);
    SetUiState(UI_PAGES_SHOWN);
}

std::vector<CConfigPageHelper*> CFenwoldDlg::ModulePages() const {
    if (m_pages.empty()) return {};
    std::vector<CConfigPageHelper*> pages{m_pages[PAGE_SYSTEM].helper,
                                          m_pages[PAGE_SERIAL_PORT].helper,
                                          m_pages[PAGE_IO].helper};
    if (CConfigPageHelper* network = NetworkPage()) pages.push_back(network);
    return pages;
}

void CFenwoldDlg::DistributeParams(const ParamValueMap& values) {
    for (CConfigPageHelper* page : ModulePages()) page->SetValues(values);
}

void CFenwoldDlg::CollectParams(ParamValueMap& out, const std::set<std::string>& ids) {
    ParamValueMap pageValues;
    for (CConfigPageHelper* page : ModulePages()) page->GetValues(pageValues);
    for (const std::string& id : ids) {
        const auto found = pageValues.find(id);
        if (found != pageValues.end()) out[id] = found->second;
    }
}

void CFenwoldDlg::OnBnClickedLoadParams() { LoadParams(); }

void CFenwoldDlg::OnBnClickedSaveParams() { SaveParams(); }

void CFenwoldDlg::OnBnClickedRestart() { RestartDevice(); }

void CFenwoldDlg::OnBnClickedRestoreFactory() {
    if (RestoreFactory()) LoadParams();
}

void CFenwoldDlg::OnMenuRestoreFactory() { RestoreFactory(); }

void CFenwoldDlg::OnBnClickedImportConfig() { ImportConfig(); }

void CFenwoldDlg::OnBnClickedExportConfig() { ExportConfig(); }
