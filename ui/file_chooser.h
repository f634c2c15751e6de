#pragma once

#include <functional>
#include <string>

class QWidget;

struct FileChooserRequest {
    bool save = false;            // save dialog (else open)
    std::string initialFile;      // name or path shown at first, e.g. "ConfigFile.ini"
    std::string filter;           // Windows form: "INI Files (*.ini)|*.ini|All Files (*.*)|*.*||"
    std::string defaultExtension; // added to a name typed without one ("" for none)
    bool overwritePrompt = false; // save: ask before replacing a file
    std::string title;            // "" for the platform's default
};

// Shows the file dialog. Returns true and sets path (UTF-8) when the user
// chose a file; false when cancelled.
bool ChooseFile(const FileChooserRequest& request, std::string& path, QWidget* parent = nullptr);

// Tests replace the dialog: the hook sees the request and answers as the user would.
using FileChooserHook = std::function<bool(const FileChooserRequest& request, std::string& path)>;
void SetFileChooserHook(FileChooserHook hook);  // empty restores the real dialog

// "INI Files (*.ini)|*.ini|All Files (*.*)|*.*||" -> "INI Files (*.ini);;All Files (*)"
std::string ToQtFilter(const std::string& windowsFilter);
