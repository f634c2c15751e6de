#pragma once

#include <QComboBox>
#include <string>

// A combo box with the list semantics the dialogs rely on: AddString keeps a
// sorted box sorted, InsertString puts an item at an explicit position even in
// a sorted box, and inserting never selects anything by itself (index -1 means
// no selection).
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr, bool sorted = false);

    bool IsSorted() const { return m_sorted; }

    // Appends, or with the sorted style inserts after the last item that does
    // not compare greater (ASCII case ignored). Returns the new item's index.
    int AddString(const std::string& text);
    // index -1 appends. Returns the new item's index, or -1 when index is
    // beyond the end.
    int InsertString(int index, const std::string& text);
    int DeleteString(int index);  // returns the remaining count, -1 when out of range
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);  // -1, or out of range, clears; returns the selection or -1
    std::string GetLBText(int index) const;
    int FindStringExact(const std::string& text) const;  // -1 when absent

private:
    bool m_sorted;
};
