#include "catalogue/config_param.h"

#include <utility>

#include "catalogue/lang_text.h"

ConfigParam::ConfigParam(std::string configId, std::string atKey, std::string labelEn,
                         std::string labelCn, std::string defaultValue)
    : configId(std::move(configId)),
      atKey(std::move(atKey)),
      labelEn(std::move(labelEn)),
      labelCn(std::move(labelCn)),
      defaultValue(std::move(defaultValue)) {}

std::string ConfigParam::GetLabel() const { return g_language == 2 ? labelCn : labelEn; }

std::string ConfigParam::GetDefaultValue() const { return defaultValue; }

ConfigParam* CreateConfigParam(const std::string& configId, const std::string& atKey,
                               const std::string& labelEn, const std::string& labelCn,
                               const std::string& defaultValue) {
    return new ConfigParam(configId, atKey, labelEn, labelCn, defaultValue);
}
