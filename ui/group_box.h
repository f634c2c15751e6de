#pragma once

#include <QGroupBox>

// A group box drawn as Windows draws one: the frame's top line runs at half
// the title's height below the control's top, with the title on that line.
// Qt styles put the title above the frame instead, so a frame laid out from a
// dialog template would cross the first row of controls inside it.
class GroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit GroupBox(const QString& title, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Both in the group box's own coordinates. The frame's lines are the
    // outer two pixels of FrameRect; TitleRect is empty without a title.
    QRect FrameRect() const;
    QRect TitleRect() const;
};
