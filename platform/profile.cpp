#include "platform/profile.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/file_lock.h"
#include "platform/leading_int.h"
#include "platform/read_regular_file.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// One line of the file: where it starts, its text without the line end, and
// the length of that line end. A line feed ends a line, with every carriage
// return before it: a CR LF file converted once more ends its lines in CR CR
// LF, and a CR left in a value would make it one the file cannot take back.
// So do carriage returns at the very end of the file, where the LF was lost.
struct Line {
    std::size_t begin;
    std::string_view text;
    std::size_t eolLength;
};

std::vector<Line> SplitLines(std::string_view content)
{
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        const bool feed = end != std::string_view::npos;
        if (!feed) {
            end = content.size();
        }
        std::size_t textEnd = end;
        while (textEnd > pos && content[textEnd - 1] == '\r') {
            --textEnd;
        }
        lines.push_back({pos, content.substr(pos, textEnd - pos), end - textEnd + (feed ? 1 : 0)});
        pos = end + (feed ? 1 : 0);
    }
    return lines;
}

// The name between '[' and the first ']' of a section header line.
std::optional<std::string_view> SectionName(std::string_view text)
{
    text = Trim(text);
    if (text.empty() || text.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return text.substr(1, close - 1);
}

bool IsKeyLine(std::string_view text, std::string_view key)
{
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') {
        return false;
    }
    const std::size_t eq = text.find('=');
    return eq != std::string_view::npos && SameName(text.substr(0, eq), key);
}

struct KeyLookup {
    std::optional<std::size_t> keyLine;          // the key's line
    std::optional<std::size_t> firstSectionEnd;  // line after the first matching section's last key
};

KeyLookup FindKey(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    KeyLookup found;
    bool inSection = false;
    bool inFirstSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = lines[i].text;
        if (const auto name = SectionName(text)) {
            inSection = SameName(*name, section);
            inFirstSection = inSection && !found.firstSectionEnd;
            if (inFirstSection) {
                found.firstSectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        const bool isKey = IsKeyLine(text, key);
        if (isKey && !found.keyLine) {
            found.keyLine = i;
        }
        if (inFirstSection && text.find('=') != std::string_view::npos &&
            Trim(text).front() != ';') {
            found.firstSectionEnd = i + 1;
        }
    }
    return found;
}

// Under a shared lock: a file another instance is writing in place is read
// once it is whole.
std::optional<std::string> ReadBoundedFile(const std::string& file)
{
    int error = 0;
    const FileDescriptor fd = OpenSharedLocked(file, error);
    std::string content;
    if (fd.get() < 0 ||
        ReadOpenRegularFile(fd.get(), kMaxProfileFileBytes, content) != RegularFileRead::kRead) {
        return std::nullopt;
    }
    return content;
}

std::string_view WithoutBom(std::string_view content)
{
    if (content.substr(0, kBom.size()) == kBom) {
        content.remove_prefix(kBom.size());
    }
    return content;
}

std::optional<std::string> LookupValue(const std::string& section, const std::string& key,
                                       const std::string& file)
{
    const std::optional<std::string> content = ReadBoundedFile(file);
    if (!content) {
        return std::nullopt;
    }
    const std::vector<Line> lines = SplitLines(WithoutBom(*content));
    const KeyLookup found = FindKey(lines, section, key);
    if (!found.keyLine) {
        return std::nullopt;
    }
    const std::string_view text = lines[*found.keyLine].text;
    std::string_view value = Trim(text.substr(text.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string_view LineEnding(const std::vector<Line>& lines, std::string_view content)
{
    for (const Line& line : lines) {
        if (content.substr(line.begin + line.text.size(), line.eolLength).find('\n') !=
            std::string_view::npos) {
            return content.substr(line.begin + line.text.size(), line.eolLength);
        }
    }
    return "\r\n";
}

// The file's new content; content keeps its byte order mark, if any.
std::string EditedContent(const std::string& content, const std::string& section,
                          const std::string& key, const std::string& value)
{
    const std::size_t bom = WithoutBom(content).size() == content.size() ? 0 : kBom.size();
    const std::string_view body = std::string_view(content).substr(bom);
    const std::vector<Line> lines = SplitLines(body);
    const std::string eol(LineEnding(lines, body));
    const KeyLookup found = FindKey(lines, section, key);

    std::string out(content.substr(0, bom));
    if (found.keyLine) {
        const Line& line = lines[*found.keyLine];
        std::size_t keep = line.text.find('=') + 1;
        while (keep < line.text.size() && IsBlank(line.text[keep])) {
            ++keep;
        }
        out.append(body.substr(0, line.begin + keep));
        out.append(value);
        out.append(body.substr(line.begin + line.text.size()));
        return out;
    }
    const std::string entry = key + "=" + value + eol;
    // Insert after the first matching section's last key, or at the end.
    const std::size_t at =
        found.firstSectionEnd && *found.firstSectionEnd < lines.size()
            ? lines[*found.firstSectionEnd].begin
            : body.size();
    out.append(body.substr(0, at));
    if (out.size() > bom && out.back() != '\n') {
        // The last line had no line end, or lost the LF of its CR LF.
        out.append(out.back() == '\r' ? std::string_view("\n") : std::string_view(eol));
    }
    if (!found.firstSectionEnd) {
        out.append("[" + section + "]" + eol);
    }
    out.append(entry);
    out.append(body.substr(at));
    return out;
}

}  // namespace

int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& file)
{
    const std::optional<std::string> value = LookupValue(section, key, file);
    if (!value || value->empty()) {
        return defaultValue;
    }
    return ReadLeadingInt(*value, " \t");
}

std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, const std::string& file)
{
    return LookupValue(section, key, file).value_or(defaultValue);
}

namespace {

bool ValidEntry(const std::string& section, const std::string& key, const std::string& value)
{
    return !Trim(section).empty() && !Trim(key).empty() && !HasLineBreak(section) &&
           !HasLineBreak(key) && !HasLineBreak(value) && section.find(']') == std::string::npos &&
           key.find('=') == std::string::npos && Trim(key).front() != ';' &&
           Trim(key).front() != '[';
}

bool Fail(FileWriteFailure* failure, FileWriteStep step, int error)
{
    if (failure != nullptr) {
        *failure = {step, error};
    }
    return false;
}

}  // namespace

bool WriteProfileStrings(const std::string& section, const ProfileEntries& entries,
                         const std::string& file, FileWriteFailure* failure)
{
    for (const auto& [key, value] : entries) {
        if (!ValidEntry(section, key, value)) {
            return Fail(failure, FileWriteStep::kBadEntry, EINVAL);
        }
    }
    std::string target;
    if (const FileWriteFailure resolved = ResolveWriteTarget(file, target);
        resolved.step != FileWriteStep::kNone) {
        return Fail(failure, resolved.step, resolved.error);
    }
    // The read, change and write under one lock: else a save of another
    // instance between this one's read and write would be lost.
    FileDescriptor fd;
    bool created = false;
    if (const FileWriteFailure locked = OpenExclusiveLocked(target, fd, created);
        locked.step != FileWriteStep::kNone) {
        return Fail(failure, locked.step, locked.error);
    }
    std::string content;
    int error = 0;
    switch (ReadOpenRegularFile(fd.get(), kMaxProfileFileBytes, content, &error)) {
        case RegularFileRead::kRead:
            break;
        case RegularFileRead::kRefused:
            // Too large, or no longer a regular file: rewriting it from
            // nothing would lose it.
            return Fail(failure, error == EFBIG ? FileWriteStep::kTooLarge : FileWriteStep::kOpen,
                        error);
        case RegularFileRead::kFailed:
            return Fail(failure, FileWriteStep::kOpen, error);
    }
    for (const auto& [key, value] : entries) {
        content = EditedContent(content, section, key, value);
    }
    // Past the bound every key would read as its default from then on.
    FileWriteFailure result{FileWriteStep::kTooLarge, EFBIG};
    if (content.size() <= kMaxProfileFileBytes) {
        result = ReplaceFileWhole(target, content);
    }
    if (result.step != FileWriteStep::kNone) {
        if (created) {
            RemoveEmptyLocked(target, fd.get());
        }
        return Fail(failure, result.step, result.error);
    }
    return true;
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file,
                        FileWriteFailure* failure)
{
    return WriteProfileStrings(section, {{key, value}}, file, failure);
}
