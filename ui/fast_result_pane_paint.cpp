// The fast result pane's painting: only the rows in view are laid out, each with its part of the
// selection and the caret.

#include <algorithm>

#include <QPaintEvent>
#include <QPainter>
#include <QTextLayout>

#include "ui/fast_result_pane.h"

void TFastResultPane::paintEvent(QPaintEvent* event)
{
    EnsureLayout();
    QPainter painter(viewport());
    const QPalette& colours = palette();
    QTextCharFormat selected;
    selected.setBackground(colours.brush(QPalette::Highlight));
    selected.setForeground(colours.brush(QPalette::HighlightedText));
    const std::uint64_t selBegin = std::min(m_anchor, m_position);
    const std::uint64_t selEnd = std::max(m_anchor, m_position);
    const bool caret = hasFocus() && m_caretShown;
    const std::uint64_t caretRow = caret ? RowOf(m_position) : UINT64_MAX;

    const QRect area = event->rect();
    const int first = std::max(0, (area.top() - kMargin) / m_rowHeight);
    std::uint64_t row = m_topRow + static_cast<std::uint64_t>(first);
    if (row >= m_rowCount) {
        return;
    }
    TRowStart at = RowAt(row);
    for (int y = kMargin + first * m_rowHeight; y <= area.bottom() && row < m_rowCount;
         y += m_rowHeight, ++row) {
        const std::uint64_t end = LineEnd(at.Line);
        const std::uint64_t stop = RowStop(at, end);
        QTextLayout layout;
        LayOutRow(layout, at, stop);
        QList<QTextLayout::FormatRange> ranges;
        if (selBegin < stop && selEnd > at.Start) {
            const std::uint64_t from = std::max(selBegin, at.Start);
            ranges.append({static_cast<int>(from - at.Start),
                           static_cast<int>(std::min(selEnd, stop) - from), selected});
        }
        const QPointF origin(kMargin, y);
        painter.setPen(colours.color(QPalette::Text));
        layout.draw(&painter, origin, ranges);
        if (stop == end && selBegin <= end && selEnd > end) {
            // A selected line break shows as a blank's width of highlight after the line.
            painter.fillRect(QRectF(kMargin + layout.lineAt(0).naturalTextWidth(), y,
                                    static_cast<qreal>(m_advance[' ']) / kSubpixels, m_rowHeight),
                             colours.brush(QPalette::Highlight));
        }
        if (row == caretRow) {
            painter.setPen(colours.color(QPalette::Text));
            layout.drawCursor(&painter, origin, static_cast<int>(m_position - at.Start));
        }
        if (stop < end) {
            at = {at.Line, stop};
        } else if (row + 1 < m_rowCount) {
            at = {at.Line + 1, m_lines.Start(at.Line + 1)};
        }
    }
}
