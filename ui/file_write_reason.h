// What a user is told when a file the tool writes could not be written, in
// the interface language.
#pragma once

#include <string>

#include "platform/replace_file.h"

// Why, in plain words: "The disk is full.", "The file is read-only.", ...
std::string DescribeFileWriteFailure(const FileWriteFailure& failure);

// The message box of a failed export: "Failed to open file" when the file
// could not be created at all, else that saving it failed; then the reason
// on a line of its own.
std::string ExportFailureMessage(const FileWriteFailure& failure);

// "settings not saved to <file>: <why>", for the log and for a box that
// would otherwise say the setting took.
std::string SettingsNotSavedMessage(const std::string& file, const FileWriteFailure& failure);

// Logs the one error line of a setting that was not saved: the file and why.
void LogSettingsNotSaved(const std::string& file, const FileWriteFailure& failure);
