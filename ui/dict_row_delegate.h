#pragma once
// The dictionary list's rows: as high as the design's, whatever the style would make them, and
// as wide as the list, so that a longer row ends in "…"; such a row shows its whole text as its
// tooltip.

#include <QStyledItemDelegate>

class TDictRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
