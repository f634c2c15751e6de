#include "ui/combo_box.h"

#include "ui/qt_text.h"

ComboBox::ComboBox(QWidget* parent, bool sorted) : QComboBox(parent), m_sorted(sorted) {
    setInsertPolicy(QComboBox::NoInsert);
}

int ComboBox::AddString(const std::string& text) {
    int index = count();
    if (m_sorted) {
        const QString item = ToQString(text);
        index = 0;
        while (index < count() &&
               QString::compare(itemText(index), item, Qt::CaseInsensitive) <= 0) {
            ++index;
        }
    }
    return InsertString(index, text);
}

int ComboBox::InsertString(int index, const std::string& text) {
    if (index < 0) index = count();
    if (index > count()) return -1;
    // QComboBox selects the first item put into an empty list; a list box
    // selects nothing until told to.
    const bool hadSelection = currentIndex() >= 0;
    insertItem(index, ToQString(text));
    if (!hadSelection) setCurrentIndex(-1);
    return index;
}

int ComboBox::DeleteString(int index) {
    if (index < 0 || index >= count()) return -1;
    const int selected = currentIndex();
    removeItem(index);
    // Windows clears the selection when the selected item goes.
    if (selected == index) setCurrentIndex(-1);
    return count();
}

void ComboBox::ResetContent() { clear(); }

int ComboBox::GetCount() const { return count(); }

int ComboBox::GetCurSel() const { return currentIndex(); }

int ComboBox::SetCurSel(int index) {
    if (index < 0 || index >= count()) {
        setCurrentIndex(-1);
        return -1;
    }
    setCurrentIndex(index);
    return index;
}

std::string ComboBox::GetLBText(int index) const {
    if (index < 0 || index >= count()) return {};
    return itemText(index).toStdString();
}

int ComboBox::FindStringExact(const std::string& text) const {
    const QString item = ToQString(text);
    for (int i = 0; i < count(); ++i) {
        if (QString::compare(itemText(i), item, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}
