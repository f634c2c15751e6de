#pragma once

#include <string>

#include "catalogue/param_values.h"

// One catalogue row: a module parameter, the AT command that reads and
// writes it, its labels and its value domain.
class ConfigParam {
public:
    std::string configId;  // e.g. "CONFIG_ID_WORK_MODE"; unique in the catalogue
    std::string atKey;     // row of the AT command table, e.g. "AT_MOD"; unique
    std::string labelEn;
    std::string labelCn;            // UTF-8
    ParamValues* domain = nullptr;  // null: free text, any value accepted
    std::string defaultValue;       // shown before anything was read; "" for none

    ConfigParam(std::string configId, std::string atKey, std::string labelEn, std::string labelCn,
                std::string defaultValue);

    // The Chinese label when the interface language is Chinese, else the
    // English one; no fall-back when the Chinese label is empty.
    std::string GetLabel() const;
    std::string GetDefaultValue() const;
};

ConfigParam* CreateConfigParam(const std::string& configId, const std::string& atKey,
                               const std::string& labelEn, const std::string& labelCn,
                               const std::string& defaultValue);

constexpr int kConfigParamCount = 40;

// The catalogue: kConfigParamCount rows, then a null pointer that ends it.
// Built once before main() and never changed or freed. The array lives in
// zero-initialised storage, so a reader that runs during static
// initialisation of another file sees an empty catalogue, never garbage; such
// a reader should call InitConfigParamCatalogue() first.
extern ConfigParam* g_configParams[kConfigParamCount + 1];

// Builds g_configParams. Runs during static initialisation; later calls (and
// concurrent ones) return at once without building a second time.
void InitConfigParamCatalogue();
