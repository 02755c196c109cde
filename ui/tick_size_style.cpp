// The application's style with tick boxes of a given size.

#include "ui/tick_size_style.h"

#include <QWidget>

TTickSizeStyle::TTickSizeStyle(int size, QWidget* control)
    : m_size(size)
{
    setParent(control->window());
    control->setStyle(this);
}

int TTickSizeStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const
{
    if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight) {
        return m_size;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}
