#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

// Value domain of a catalogue parameter: decides which texts may be written
// to a module and, for lists, what a drop-down shows for each value.
// The base answers mean "no list and nothing valid".
class ParamValues {
public:
    virtual ~ParamValues() = default;
    virtual bool IsValid(std::string value) const;
    virtual int GetCount() const;
    virtual bool GetDisplayText(int index, std::string& out) const;
    virtual bool GetValue(int index, std::string& out) const;
    virtual int IndexOf(std::string value) const;
};

// Inclusive numeric ranges. Only validation is offered: a range parameter is
// edited as free text, so the list operations keep the base answers.
class RangeParamValues : public ParamValues {
public:
    // Low bound -> high bound, both inclusive. A second range with the same
    // low bound replaces the first.
    std::map<int, int> ranges;

    RangeParamValues& AddRange(int low, int high);

    // Valid when the text is not empty and its leading decimal number
    // (read by ReadLeadingDecimal) lies in one of the ranges.
    bool IsValid(std::string value) const override;
};

// Reads a number the way strtol(text, nullptr, 10) does, independent of the
// C locale: leading blanks, one optional sign, digits up to the first
// non-digit; no digits read as 0; the result saturates at the 32-bit limits.
int ReadLeadingDecimal(const std::string& text);

// A fixed list of values with optional English and Chinese labels.
// Invariant: each label list is empty or exactly as long as `values`.
class DiscreteParamValues : public ParamValues {
public:
    std::vector<std::string> labelsEn;
    std::vector<std::string> labelsCn;
    std::vector<std::string> values;

    // Each appends its items in order and returns the object so that calls
    // chain; an empty list appends nothing.
    DiscreteParamValues& AddValues(std::initializer_list<const char*> items);
    DiscreteParamValues& AddLabels(std::initializer_list<const char*> items);
    DiscreteParamValues& AddLabelsCn(std::initializer_list<const char*> items);

    // Any text is accepted: a value the module reports that the list does not
    // know must still be writable back unchanged.
    bool IsValid(std::string value) const override;
    int GetCount() const override;
    // English labels if the list has them, else the value itself; Chinese
    // labels only when the interface language is Chinese and the list has them.
    bool GetDisplayText(int index, std::string& out) const override;
    bool GetValue(int index, std::string& out) const override;
    // First entry of `values` equal to the text (exact, case-sensitive), or -1.
    int IndexOf(std::string value) const override;

private:
    const std::vector<std::string>& ShownList() const;
    bool InRange(int index) const;
};
