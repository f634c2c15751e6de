#include "ui/tab_control.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

#include "ui/qt_text.h"

TabControl::TabControl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)) {
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int) {
        if (m_quiet == 0) emit SelChange();
    });
}

int TabControl::InsertItem(int index, const std::string& text) {
    ++m_quiet;
    const int count = m_bar->count();
    if (index < 0 || index > count) index = count;
    const int used = m_bar->insertTab(index, ToQString(text));
    --m_quiet;
    m_bar->adjustSize();
    return used;
}

bool TabControl::DeleteAllItems() {
    ++m_quiet;
    while (m_bar->count() > 0) m_bar->removeTab(m_bar->count() - 1);
    --m_quiet;
    return true;
}

int TabControl::GetItemCount() const { return m_bar->count(); }

int TabControl::GetCurSel() const { return m_bar->currentIndex(); }

int TabControl::SetCurSel(int index) {
    const int previous = m_bar->currentIndex();
    if (index < 0 || index >= m_bar->count()) return -1;
    ++m_quiet;
    m_bar->setCurrentIndex(index);
    --m_quiet;
    return previous;
}

std::string TabControl::GetItemText(int index) const { return m_bar->tabText(index).toStdString(); }

int TabControl::TabStripHeight() const { return m_bar->sizeHint().height(); }

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_bar->move(2, 0);
    m_bar->resize(qMax(0, width() - 4), TabStripHeight());
}

void TabControl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.rect = rect().adjusted(0, TabStripHeight() - 1, 0, 0);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = m_bar->size();
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}
