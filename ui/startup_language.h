#pragma once

// The interface language settled once when the main dialog starts.

// The desktop's language: the first of LC_ALL, LC_MESSAGES and LANG that is
// set and not empty; Chinese when it starts with "zh".
bool LocaleIsChinese();

// The "LANGUAGE" value of ParamCfg.ini turned into the run's language:
// 0 and values of 3 and above follow the locale (2 Chinese, else 1); any other
// value, a negative one included, is kept as it is (and, not being 2, means
// English).
int ResolveLanguage(int configured, bool localeIsChinese);
