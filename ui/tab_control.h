#pragma once

#include <QWidget>
#include <string>

class QTabBar;

// A tab strip over a panel, as a Windows tab control: it only shows tabs.
// Pages are ordinary child widgets of the control that their owner places
// inside it and shows or hides when the selection changes.
class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    int InsertItem(int index, const std::string& text);  // returns the index used
    bool DeleteAllItems();
    int GetItemCount() const;
    int GetCurSel() const;     // -1 when there are no tabs
    int SetCurSel(int index);  // returns the previous selection; no SelChange signal
    std::string GetItemText(int index) const;
    // Height of the tab strip in pixels (pages go below it).
    int TabStripHeight() const;

    QTabBar* tabBar() const { return m_bar; }

signals:
    // The user picked another tab (not sent for SetCurSel or InsertItem).
    void SelChange();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTabBar* m_bar;
    int m_quiet = 0;  // > 0 while our own calls change the selection
};
