#include "ui/param_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

FileWriteFailure WriteParamFile(const std::string& path, const CComDevice& device,
                                const ParamValueMap& values) {
    // The lines are gathered in memory first: the file is replaced whole, so
    // a failure halfway never leaves a cut export in place of a good one.
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&buffer, &size);
    if (stream == nullptr) return {FileWriteStep::kOpen, errno};
    device.WriteParamLines(values, stream);
    const bool formatted = std::ferror(stream) == 0;
    std::fclose(stream);
    const std::string content(buffer != nullptr ? buffer : "", size);
    std::free(buffer);
    if (!formatted) return {FileWriteStep::kWrite, ENOMEM};
    return ReplaceFileWhole(path, content);
}
