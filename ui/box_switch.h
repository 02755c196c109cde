#pragma once
// A radio button or check box that takes a click anywhere in its box, as the design's switches
// do; the style's own take it only on the circle or box and the caption.

#include <QPoint>
#include <QRect>

// TButton is QRadioButton or QCheckBox.
template <typename TButton>
class TBoxSwitch : public TButton
{
public:
    using TButton::TButton;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};
