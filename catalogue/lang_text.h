#pragma once

#include <map>
#include <string>

// One row of the interface text table.
struct LangText {
    int id;  // 1..82; 0 ends the table
    std::string english;
    std::string chinese;  // UTF-8
};

// Text ids, named after the caption or message each one serves. Several ids
// share a text (e.g. "Upgrade"); use the id of your own place.
enum LangTextId : int {
    TEXT_OK = 1,
    TEXT_CANCEL = 2,
    TEXT_OPEN = 3,
    TEXT_CLOSE = 4,
    TEXT_UPGRADE_FILE = 5,
    TEXT_UPGRADE_BROWSE = 6,
    TEXT_UPGRADE_BUTTON = 7,
    TEXT_COM_CLOSED = 8,
    TEXT_CANNOT_OPEN_FILE = 9,
    TEXT_INVALID_VALUE = 10,
    TEXT_VERSION = 11,
    TEXT_CHECK_VERSION = 12,
    TEXT_CONFIG_GROUP = 13,
    TEXT_LOG_GROUP = 14,
    TEXT_BUTTON_LOAD_PARAMS = 15,
    TEXT_BUTTON_WRITE_PARAMS = 16,
    TEXT_BUTTON_REBOOT_DEVICE = 17,
    TEXT_BUTTON_RESTORE_FACTORY = 18,
    TEXT_BUTTON_IMPORT_PARAMS = 19,
    TEXT_BUTTON_EXPORT_PARAMS = 20,
    TEXT_CHECK_DISPLAY = 21,
    TEXT_CHECK_HEX = 22,
    TEXT_BUTTON_CLEAR_LOG = 23,
    TEXT_BUTTON_UPGRADE = 24,
    TEXT_MENU_LOAD_PARAMS = 25,
    TEXT_MENU_WRITE_PARAMS = 26,
    TEXT_MENU_REBOOT_DEVICE = 27,
    TEXT_MENU_RESTORE_FACTORY = 28,
    TEXT_MENU_IMPORT_PARAMS = 29,
    TEXT_MENU_EXPORT_PARAMS = 30,
    TEXT_MENU_UPGRADE = 31,
    TEXT_MENU_EXIT = 32,
    TEXT_MENU_COMMAND_WINDOW = 33,
    TEXT_MENU_COMM_SETTINGS = 34,
    TEXT_MENU_ENGLISH = 35,
    TEXT_MENU_CHINESE = 36,
    TEXT_MENU_OPERATION = 37,
    TEXT_MENU_TOOLS = 38,
    TEXT_MENU_OPTIONS = 39,
    TEXT_MENU_LANGUAGE = 40,
    TEXT_WAKEUP_MODE = 45,
    TEXT_WAKEUP_NODE = 46,
    TEXT_SLEEP_NODE = 47,
    TEXT_NEED_ANTENNA = 48,
    TEXT_FIELDS_NOT_MODIFIABLE = 49,
    TEXT_TAB_SYSTEM = 50,
    TEXT_TAB_SERIAL_PORT = 51,
    TEXT_TAB_NETWORK = 52,
    TEXT_TAB_IO_PORT = 53,
    TEXT_CANNOT_RECOGNIZE_VERSION = 54,
    TEXT_FAILED_CHECK_VERSION = 55,
    TEXT_CMD_WINDOW_TITLE = 56,
    TEXT_CMD_HEX = 57,
    TEXT_CMD_NEWLINE = 58,
    TEXT_CMD_TIMER = 59,
    TEXT_CMD_CLEAR = 60,
    TEXT_CMD_SEND = 61,
    TEXT_PORT_SETTING_TITLE = 62,
    TEXT_PORT_BITS = 63,
    TEXT_PORT_BAUDRATE = 64,
    TEXT_PORT_STOPBITS = 65,
    TEXT_PORT_PARITY = 66,
    TEXT_IO_WORK_MODE = 67,
    TEXT_IO_INTERVAL = 68,
    TEXT_IO_ANALOG_INPUT_SCALE = 69,
    TEXT_IO_ANALOG_REAL_SCALE = 70,
    TEXT_IO_ACTIVE_REPORT = 71,
    TEXT_UPGRADE_TITLE = 72,
    TEXT_UPGRADE_RESTART_FIRST = 73,
    TEXT_UPGRADE_RESTORE_AFTER = 74,
    TEXT_UPGRADE_COMPLETE = 75,
    TEXT_UPGRADE_FAILED = 76,
    TEXT_TAKE_EFFECT_AFTER_RESTART = 77,
    TEXT_IMPORT_SUCCESS = 78,
    TEXT_EXPORT_SUCCESS = 79,
    TEXT_FAILED_OPEN_FILE = 80,
    TEXT_IMPORT_FAILED = 81,
    TEXT_RELAY_NETWORK = 82,
};

constexpr int kLangTextCount = 78;

// The text table: kLangTextCount rows (ids unique; 41 to 44 unused), then a
// row with id 0 that ends it. Row order carries no meaning.
extern const LangText g_langTexts[kLangTextCount + 1];

// Text id -> row; empty until BuildLangTextIndex() runs.
extern std::map<int, const LangText*> g_langTextIndex;

// Interface language: 2 Chinese, anything else English. Holds 2 until the
// main dialog settles it, once, before any page or worker thread exists.
extern int g_language;

// Fills g_langTextIndex from g_langTexts. Called once by the main dialog's
// initialisation before any worker thread starts; later lookups only read.
void BuildLangTextIndex();

// The text of an id in the interface language (English when the row has no
// Chinese text); "" for an unknown id or before BuildLangTextIndex().
std::string GetLangText(int id);
