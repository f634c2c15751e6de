#include "ui/startup_language.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

bool LocaleIsChinese() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return std::strncmp(value, "zh", 2) == 0;
    }
    return false;
}

int ResolveLanguage(int configured, bool localeIsChinese) {
    if (configured == 0 || configured >= 3) return localeIsChinese ? 2 : 1;
    return configured;
}
