#include "up_down.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>

#include <algorithm>

namespace {

QToolButton* MakeArrow(QWidget* parent, const char* name, Qt::ArrowType arrow) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);  // the control itself takes the keys
    return button;
}

} // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), FDecrease(MakeArrow(this, "btnDecrease", Qt::LeftArrow)),
      FIncrease(MakeArrow(this, "btnIncrease", Qt::RightArrow)) {
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FDecrease);
    layout->addWidget(FIncrease);
    connect(FDecrease, &QToolButton::clicked, this, [this] { stepBy(-1); });
    connect(FIncrease, &QToolButton::clicked, this, [this] { stepBy(1); });
    UpdateArrows();
}

void TUpDown::setRange(int minimum, int maximum) {
    FMinimum = minimum;
    FMaximum = std::max(minimum, maximum);
    const int limited = std::clamp(FValue, FMinimum, FMaximum);
    if (limited != FValue) setValue(limited);
    else UpdateArrows();
}

void TUpDown::setValue(int value) {
    value = std::clamp(value, FMinimum, FMaximum);
    if (value == FValue) return;
    FValue = value;
    UpdateArrows();
    emit valueChanged(FValue);
}

void TUpDown::stepBy(int steps) {
    setValue(FValue + steps);
}

void TUpDown::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left: stepBy(-1); break;
    case Qt::Key_Right: stepBy(1); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

// An arrow that cannot move the position any further is disabled.
void TUpDown::UpdateArrows() {
    FDecrease->setEnabled(FValue > FMinimum);
    FIncrease->setEnabled(FValue < FMaximum);
}
