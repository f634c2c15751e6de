#pragma once

#include <cstddef>
#include <string>

#include "link/com_device.h"
#include "platform/replace_file.h"

// The parameter file of export and import: one line per parameter, its reply
// tag, ":" and the value, ended by "\r\n".

// The largest parameter file an import reads. An export of every parameter
// with the longest value a module can report (4095 bytes each) stays well
// under a quarter of it, so only a file that is no parameter file is refused.
inline constexpr std::size_t kMaxParamFileBytes = 1024 * 1024;

// Reads the whole file as one text that ends at its first NUL byte (or its
// last byte). False when the file cannot be opened or read, and for anything
// but a regular file of at most kMaxParamFileBytes.
bool ReadParamFileText(const std::string& path, std::string& text);

// The values of the module's supported parameters that the text names: for
// each supported id with a catalogue row and an AT row, the text after the
// first "<tag>:" up to the next "\r\n", lone "\n" or the end. Other lines are
// ignored.
ParamValueMap ParseParamFileText(const CComDevice& device, const std::string& text);

// Writes one line per known parameter of `values`, replacing the file whole:
// on any failure the file that was there stays as it was.
FileWriteFailure WriteParamFile(const std::string& path, const CComDevice& device,
                                const ParamValueMap& values);
