#pragma once

#include <string>

// One module command of the AT vocabulary. Rows are built once and never
// changed, so they are shared between threads without locks.
class AtCommand {
public:
    const std::string key;       // e.g. "AT_MOD"; unique in the table
    const std::string queryCmd;  // "+MOD?": query line "AT+MOD?\r\n"; empty if never queried
    const std::string setCmd;    // "+MOD": set line "AT+MOD=<value>\r\n"; empty if never set
    const std::string replyTag;  // "+MOD": the value follows "+MOD:"; empty if none

    AtCommand(std::string key, std::string queryCmd, std::string setCmd, std::string replyTag);

    // "AT" + queryCmd + "\r\n".
    std::string BuildQuery() const;

    // "AT<setCmd>=<value>\r\n", or "AT<setCmd>\r\n" for an empty value. The
    // value goes in byte for byte, unquoted and unchecked.
    std::string BuildSet(const std::string& value) const;

    // A parameter-file line without its line end: "<replyTag>:<value>".
    std::string FormatReplyLine(const std::string& value) const;

    // Strict: the bytes after the first "<replyTag>:" up to the next "\r\n"
    // (or the end of the text); from the start of the text when replyTag is
    // empty. Returns false, leaving `value` as it was, when the tag is absent.
    // A null text reads as an empty one.
    bool ParseReply(const char* text, std::string& value) const;

    // As ParseReply, but when the tag is absent the value runs from the start
    // of the text. Always returns true.
    bool ParseReplyLoose(const char* text, std::string& value) const;
};

constexpr int kAtCommandCount = 48;

// The AT command table: kAtCommandCount rows, then a null pointer that ends
// it. Built once before main() and never changed or freed. The array lives in
// zero-initialised storage, so a reader that runs during static
// initialisation of another file sees an empty table, never garbage; such a
// reader should call InitAtCommandTable() first.
extern const AtCommand* g_atCommands[kAtCommandCount + 1];

// Builds g_atCommands. Runs during static initialisation; later calls (and
// concurrent ones) return at once without building a second time.
void InitAtCommandTable();

// One pending exchange of a batch of AT lines.
struct AtRequest {
    std::string atKey;     // key of the AtCommand row, e.g. "AT_MOD"
    std::string configId;  // the parameter it serves; empty for identification queries
    std::string value;     // the value to set; empty for a query
    std::string reply;     // the value taken from the module's reply; empty until then
};
