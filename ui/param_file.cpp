#include "ui/param_file.h"

#include <cstdio>

#include "catalogue/config_param.h"
#include "link/at_command.h"
#include "platform/read_regular_file.h"

bool ReadParamFileText(const std::string& path, std::string& text) {
    if (ReadRegularFile(path, kMaxParamFileBytes, text) != RegularFileRead::kRead) return false;
    // The file is searched as one C text: a NUL byte ends it there.
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return true;
}

ParamValueMap ParseParamFileText(const CComDevice& device, const std::string& text) {
    ParamValueMap values;
    for (const std::string& id : device.m_supportedParams) {
        const ConfigParam* param = device.FindConfigParam(id);
        if (param == nullptr) continue;
        const AtCommand* command = device.FindAtCommand(param->atKey);
        if (command == nullptr) continue;
        std::string value;
        if (!command->ParseReply(text.c_str(), value)) continue;
        // A file saved with LF line ends: no value holds a line break, so a
        // lone LF ends the value as CR LF does.
        values[id] = value.substr(0, value.find('\n'));
    }
    return values;
}

bool WriteParamFile(const std::string& path, const CComDevice& device,
                    const ParamValueMap& values) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    device.WriteParamLines(values, file);
    // A full disk shows only in the error flag or at the close: the user must
    // not be told the export succeeded.
    const bool written = std::ferror(file) == 0;
    return std::fclose(file) == 0 && written;
}
