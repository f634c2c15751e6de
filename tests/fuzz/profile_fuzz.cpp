// The settings file: any file content, then one write of a key. The write
// either refuses and leaves the file byte for byte, or the key reads back as
// written while every other key of the file reads as it did before.
//
// Input: section NUL key NUL value NUL file content.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/scratch_folder.h"

namespace {

constexpr std::size_t kMaxProbedKeys = 64;
const std::string kUnset = "\x01unset";

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b)
{
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// What a reader gives back for a value written as it stands.
std::string AsRead(std::string_view value)
{
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// Section and key names worth asking for: every "[name]" and "name=" the
// content seems to hold, whatever its line ends.
std::vector<std::pair<std::string, std::string>> ProbedKeys(std::string_view content)
{
    std::vector<std::pair<std::string, std::string>> keys;
    std::string section;
    std::size_t pos = 0;
    while (pos <= content.size() && keys.size() < kMaxProbedKeys) {
        std::size_t end = content.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = content.size();
        const std::string_view line = content.substr(pos, end - pos);
        const std::string_view trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            section = std::string(trimmed.substr(1, trimmed.find(']') - 1));
        } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
            keys.emplace_back(section, std::string(line.substr(0, eq)));
        }
        pos = end + 1;
    }
    return keys;
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string fields[3];
    for (std::string& field : fields) {
        const std::size_t nul = input.find('\0');
        if (nul == std::string_view::npos) return 0;
        field = std::string(input.substr(0, nul));
        input.remove_prefix(nul + 1);
    }
    const auto& [section, key, value] = fields;
    const std::string content(input);
    const std::string file = ScratchFolder() + "/ParamCfg.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << content;
    }

    auto keys = ProbedKeys(content);
    keys.emplace_back(section, key);
    std::vector<std::string> before;
    std::vector<int> numbersBefore;
    for (const auto& [s, k] : keys) {
        before.push_back(ReadProfileString(s, k, kUnset, file));
        numbersBefore.push_back(ReadProfileInt(s, k, -7, file));
    }

    const bool written = WriteProfileString(section, key, value, file);
    if (!written) {
        FUZZ_CHECK(FileText(file) == content);
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto& [s, k] = keys[i];
        const std::string now = ReadProfileString(s, k, kUnset, file);
        if (written && SameName(s, section) && SameName(k, key)) {
            FUZZ_CHECK(now == AsRead(value));
        } else {
            FUZZ_CHECK(now == before[i]);
            FUZZ_CHECK(ReadProfileInt(s, k, -7, file) == numbersBefore[i]);
        }
    }
    ::unlink(file.c_str());
    return 0;
}
