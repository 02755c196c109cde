// The dictionary list's rows: the design's height, the list's width, and the tooltip of a row
// cut short.

#include "ui/dict_row_delegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace {

// The design's height of a dictionary row.
constexpr int kDictRowHeight = 13;

}  // namespace

QSize TDictRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kDictRowHeight);
    // The list widens a row to its own width; a wider row would be clipped without the "…".
    size.setWidth(0);
    return size;
}

bool TDictRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid()) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    // Measured when asked, so that it always holds for the list's width of the moment.
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    const QStyle* style = view->style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &row, view);
    // The style draws the text this far inside its rectangle on either side.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    if (row.fontMetrics.horizontalAdvance(row.text) > textRect.width() - 2 * margin) {
        QToolTip::showText(event->globalPos(), row.text, view->viewport(), option.rect);
    } else {
        QToolTip::hideText();
    }
    return true;
}
