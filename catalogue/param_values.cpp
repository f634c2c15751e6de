#include "catalogue/param_values.h"

#include <cstdint>
#include <limits>

#include "catalogue/lang_text.h"

bool ParamValues::IsValid(std::string) const { return false; }
int ParamValues::GetCount() const { return -1; }
bool ParamValues::GetDisplayText(int, std::string&) const { return false; }
bool ParamValues::GetValue(int, std::string&) const { return false; }
int ParamValues::IndexOf(std::string) const { return -1; }

int ReadLeadingDecimal(const std::string& text) {
    // Written out rather than calling strtol: the UI sets the user's locale,
    // and a locale must not change which texts count as numbers.
    std::size_t i = 0;
    const auto isBlank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing once it is past
    // every 32-bit value, so arbitrarily long digit runs cannot overflow.
    constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude < kCap) magnitude = magnitude * 10 + (text[i] - '0');
    }
    const std::int64_t number = negative ? -magnitude : magnitude;
    if (number > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (number < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<int>(number);
}

RangeParamValues& RangeParamValues::AddRange(int low, int high) {
    ranges[low] = high;
    return *this;
}

bool RangeParamValues::IsValid(std::string value) const {
    if (value.empty()) return false;
    const int number = ReadLeadingDecimal(value);
    for (const auto& [low, high] : ranges) {
        if (low <= number && number <= high) return true;
    }
    return false;
}

namespace {

void Append(std::vector<std::string>& list, std::initializer_list<const char*> items) {
    for (const char* item : items) list.emplace_back(item ? item : "");
}

}  // namespace

DiscreteParamValues& DiscreteParamValues::AddValues(std::initializer_list<const char*> items) {
    Append(values, items);
    return *this;
}

DiscreteParamValues& DiscreteParamValues::AddLabels(std::initializer_list<const char*> items) {
    Append(labelsEn, items);
    return *this;
}

DiscreteParamValues& DiscreteParamValues::AddLabelsCn(std::initializer_list<const char*> items) {
    Append(labelsCn, items);
    return *this;
}

bool DiscreteParamValues::IsValid(std::string) const { return true; }

int DiscreteParamValues::GetCount() const { return static_cast<int>(values.size()); }

const std::vector<std::string>& DiscreteParamValues::ShownList() const {
    if (g_language == 2 && !labelsCn.empty()) return labelsCn;
    return labelsEn.empty() ? values : labelsEn;
}

bool DiscreteParamValues::InRange(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < values.size();
}

bool DiscreteParamValues::GetDisplayText(int index, std::string& out) const {
    const std::vector<std::string>& shown = ShownList();
    // A label list shorter than `values` would break the invariant; answer
    // false rather than read past its end.
    if (!InRange(index) || static_cast<std::size_t>(index) >= shown.size()) return false;
    out = shown[static_cast<std::size_t>(index)];
    return true;
}

bool DiscreteParamValues::GetValue(int index, std::string& out) const {
    if (!InRange(index)) return false;
    out = values[static_cast<std::size_t>(index)];
    return true;
}

int DiscreteParamValues::IndexOf(std::string value) const {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] == value) return static_cast<int>(i);
    }
    return -1;
}
