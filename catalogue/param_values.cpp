#include "catalogue/param_values.h"

#include "catalogue/lang_text.h"
#include "platform/leading_int.h"

bool ParamValues::IsValid(std::string) const { return false; }
int ParamValues::GetCount() const { return -1; }
bool ParamValues::GetDisplayText(int, std::string&) const { return false; }
bool ParamValues::GetValue(int, std::string&) const { return false; }
int ParamValues::IndexOf(std::string) const { return -1; }

int ReadLeadingDecimal(const std::string& text) {
    // The blanks are those strtol skips in the "C" locale.
    return ReadLeadingInt(text, " \t\n\v\f\r");
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
