// The parameter-file import on any file a user may pick, and the export of
// what it read: exporting the imported values and importing that file again
// gives the same values.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "catalogue/config_param.h"
#include "link/at_command.h"
#include "link/com_device.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/scratch_folder.h"
#include "ui/param_file.h"

namespace {

// A module that supports every parameter of the catalogue.
CComDevice& EveryParamDevice()
{
    static CComDevice* device = [] {
        auto* d = new CComDevice;
        d->LoadAtCommands();
        d->LoadConfigParams();
        for (int i = 0; g_configParams[i] != nullptr; ++i) {
            d->m_supportedParams.insert(g_configParams[i]->configId);
        }
        return d;
    }();
    return *device;
}

ParamValueMap Import(const std::string& path)
{
    std::string text;
    FUZZ_CHECK(ReadParamFileText(path, text));
    return ParseParamFileText(EveryParamDevice(), text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CComDevice& device = EveryParamDevice();
    const std::string picked = ScratchFolder() + "/picked.txt";
    const std::string exported = ScratchFolder() + "/exported.txt";
    {
        std::ofstream out(picked, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const ParamValueMap values = Import(picked);

    bool valuesHoldTags = false;
    for (const auto& [id, value] : values) {
        FUZZ_CHECK(device.m_supportedParams.count(id) == 1);
        FUZZ_CHECK(value.find("\r\n") == std::string::npos);
        FUZZ_CHECK(value.find('\0') == std::string::npos);
        // A value that holds a reply tag of its own would be found again in
        // the wrong line; a module never sends one.
        valuesHoldTags = valuesHoldTags || value.find(':') != std::string::npos;
    }
    FUZZ_CHECK(WriteParamFile(exported, device, values).step == FileWriteStep::kNone);
    if (!valuesHoldTags) {
        FUZZ_CHECK(Import(exported) == values);
    }
    ::unlink(picked.c_str());
    ::unlink(exported.c_str());
    return 0;
}
