// A horizontal up-down control: a left arrow that decreases the position and a right arrow
// that increases it, one step per click and repeated while held. The left and right keys
// do the same while it has the focus.
#pragma once

#include <QWidget>

class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return FMinimum; }
    int maximum() const { return FMaximum; }
    int value() const { return FValue; }
    // Limited to the range; valueChanged follows a real change only.
    void setValue(int value);
    void stepBy(int steps);

    QToolButton* DecreaseButton() const { return FDecrease; }
    QToolButton* IncreaseButton() const { return FIncrease; }

signals:
    void valueChanged(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateArrows();

    QToolButton* FDecrease;
    QToolButton* FIncrease;
    int FMinimum = 0;
    int FMaximum = 100;
    int FValue = 0;
};
