#pragma once
// The application's style with tick boxes of a given size, for a control whose box or rows are
// too low for the style's own: nothing of the tick box is cut, and rows keep a gap between them.

#include <QProxyStyle>

class TTickSizeStyle : public QProxyStyle
{
public:
    // Styles control; the style belongs to control's window, which deletes it after its panels.
    TTickSizeStyle(int size, QWidget* control);

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;

private:
    int m_size;
};
