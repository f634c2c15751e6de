#include "link/at_command.h"

#include <cstring>
#include <string_view>
#include <utility>

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Where the value starts: right after "<tag>:", or at 0 for an empty tag;
// npos when the tag is absent.
std::size_t FindValueStart(std::string_view text, const std::string& tag) {
    if (tag.empty()) {
        return 0;
    }
    const std::string key = tag + ":";
    const std::size_t at = text.find(key);
    return at == std::string_view::npos ? at : at + key.size();
}

std::string ValueFrom(std::string_view text, std::size_t start) {
    const std::size_t end = text.find(kLineEnd, start);
    return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
}

std::string_view TextOf(const char* text) {
    return text == nullptr ? std::string_view() : std::string_view(text, std::strlen(text));
}

}  // namespace

AtCommand::AtCommand(std::string key, std::string queryCmd, std::string setCmd,
                     std::string replyTag)
    : key(std::move(key)),
      queryCmd(std::move(queryCmd)),
      setCmd(std::move(setCmd)),
      replyTag(std::move(replyTag)) {}

std::string AtCommand::BuildQuery() const { return "AT" + queryCmd + std::string(kLineEnd); }

std::string AtCommand::BuildSet(const std::string& value) const {
    std::string line = "AT" + setCmd;
    if (!value.empty()) {
        line += '=';
        line += value;
    }
    line += kLineEnd;
    return line;
}

std::string AtCommand::FormatReplyLine(const std::string& value) const {
    return replyTag + ":" + value;
}

bool AtCommand::ParseReply(const char* text, std::string& value) const {
    const std::string_view view = TextOf(text);
    const std::size_t start = FindValueStart(view, replyTag);
    if (start == std::string_view::npos) {
        return false;
    }
    value = ValueFrom(view, start);
    return true;
}

bool AtCommand::ParseReplyLoose(const char* text, std::string& value) const {
    const std::string_view view = TextOf(text);
    const std::size_t start = FindValueStart(view, replyTag);
    value = ValueFrom(view, start == std::string_view::npos ? 0 : start);
    return true;
}
