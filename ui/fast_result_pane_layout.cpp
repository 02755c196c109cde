// The fast result pane's rows: each line wrapped at word boundaries to the pane's width, the
// start of every 64th row kept as a checkpoint, and scrolling over the rows.

#include <algorithm>
#include <cstdlib>

#include <QApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextLayout>
#include <QWheelEvent>

#include "ui/fast_result_pane.h"
#include "ui/qt_text.h"

namespace {

constexpr std::uint64_t kRowsPerCheckpoint = 64;
constexpr int kWheelNotch = 120;
// Blanks hang past the right edge, as in a text editor, but no further than this many widths.
constexpr std::int64_t kMaxHang = 2;

}  // namespace

std::int64_t TFastResultPane::ViewWrapWidth() const
{
    return std::max(viewport()->width() - 2 * kMargin, 1) * kSubpixels;
}

std::uint64_t TFastResultPane::RowCount()
{
    EnsureLayout();
    return m_rowCount;
}

void TFastResultPane::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_layoutValid && ViewWrapWidth() != m_wrapWidth) {
        InvalidateLayout();
    }
    if (m_layoutValid) {
        UpdateScrollBar();
    } else if (isVisible()) {
        EnsureLayout();
    }
}

void TFastResultPane::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    EnsureLayout();
}

void TFastResultPane::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_metricsValid = false;
        InvalidateLayout();
        if (isVisible()) {
            EnsureLayout();
        }
    }
}

void TFastResultPane::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    if (m_settingScroll) {
        return;
    }
    m_topRow = m_scroll.TopRowOf(verticalScrollBar()->value());
    viewport()->update();
}

void TFastResultPane::wheelEvent(QWheelEvent* event)
{
    EnsureLayout();
    m_wheelAngle += event->angleDelta().y();
    const int notches = m_wheelAngle / kWheelNotch;
    m_wheelAngle -= notches * kWheelNotch;
    const std::uint64_t rows =
        static_cast<std::uint64_t>(std::abs(notches)) *
        static_cast<std::uint64_t>(std::max(1, QApplication::wheelScrollLines()));
    if (notches > 0) {
        SetTopRow(m_topRow > rows ? m_topRow - rows : 0);
    } else if (notches < 0) {
        SetTopRow(m_topRow + rows);
    }
    event->accept();
}

void TFastResultPane::InvalidateLayout()
{
    if (m_layoutValid) {
        m_topPosition = RowAt(m_topRow).Start;
    }
    m_layoutValid = false;
    viewport()->update();
}

void TFastResultPane::EnsureLayout()
{
    if (m_layoutValid) {
        return;
    }
    if (!m_metricsValid) {
        UpdateMetrics();
    }
    m_wrapWidth = ViewWrapWidth();
    const std::uint64_t lineCount = m_lines.Count();
    m_checkpoints.clear();
    m_checkpoints.reserve(lineCount / kRowsPerCheckpoint + 1);
    std::uint64_t rows = 0;
    std::uint64_t untilCheckpoint = 0;
    const auto addRow = [&](std::uint64_t line, std::uint64_t start) {
        if (untilCheckpoint == 0) {
            m_checkpoints.push_back({line, start});
            untilCheckpoint = kRowsPerCheckpoint;
        }
        --untilCheckpoint;
        ++rows;
    };
    std::uint64_t start = 0;
    for (std::uint64_t line = 0; line < lineCount; ++line) {
        const std::uint64_t next = line + 1 < lineCount ? m_lines.Start(line + 1) : m_text.size();
        // Most lines of a listing are far narrower than the pane: one row, nothing measured.
        if (static_cast<std::int64_t>(next - start) * m_maxAdvance <= m_wrapWidth) {
            addRow(line, start);
            start = next;
            continue;
        }
        const std::uint64_t end = LineEnd(line);
        if (FitsOneRow(start, end)) {
            addRow(line, start);
        } else {
            std::uint64_t rowStart = start;
            for (;;) {
                addRow(line, rowStart);
                const std::uint64_t stop = WrapRow(rowStart, end);
                if (stop >= end) {
                    break;
                }
                rowStart = stop;
            }
        }
        start = next;
    }
    m_rowCount = rows;
    m_layoutValid = true;
    m_topRow = RowOf(std::min<std::uint64_t>(m_topPosition, m_text.size()));
    UpdateScrollBar();
}

void TFastResultPane::UpdateMetrics()
{
    const QFontMetricsF metrics(font());
    const TCp1251Chars& chars = Cp1251Chars();
    m_maxAdvance = 1;
    for (std::size_t byte = 0; byte < chars.size(); ++byte) {
        m_advance[byte] = qRound64(metrics.horizontalAdvance(chars[byte]) * kSubpixels);
        m_maxAdvance = std::max(m_maxAdvance, m_advance[byte]);
    }
    m_rowHeight = std::max(1, QFontMetrics(font()).lineSpacing());
    m_metricsValid = true;
}

void TFastResultPane::UpdateScrollBar()
{
    const auto page = static_cast<std::uint64_t>(PageRows());
    const std::uint64_t lastTop = m_rowCount > page ? m_rowCount - page : 0;
    m_scroll = TRowScroll(lastTop);
    m_topRow = std::min(m_topRow, lastTop);
    QScrollBar* bar = verticalScrollBar();
    m_settingScroll = true;
    bar->setRange(0, m_scroll.Maximum());
    bar->setPageStep(static_cast<int>(std::max<std::uint64_t>(1, page / m_scroll.RowsPerStep())));
    bar->setSingleStep(1);
    bar->setValue(m_scroll.ValueOf(m_topRow));
    m_settingScroll = false;
}

std::uint64_t TFastResultPane::LineEnd(std::uint64_t line) const
{
    if (line + 1 >= m_lines.Count()) {
        return m_text.size();
    }
    const std::uint64_t next = m_lines.Start(line + 1);
    // A lone CR is never followed by LF (the pair would be one break), so CR LF here is this
    // line's own break.
    if (next >= 2 && m_text[next - 1] == '\n' && m_text[next - 2] == '\r') {
        return next - 2;
    }
    return next - 1;
}

bool TFastResultPane::FitsOneRow(std::uint64_t start, std::uint64_t lineEnd) const
{
    if (static_cast<std::int64_t>(lineEnd - start) * m_maxAdvance <= m_wrapWidth) {
        return true;
    }
    const auto* const bytes = reinterpret_cast<const unsigned char*>(m_text.data());
    std::int64_t width = 0;
    std::uint64_t pos = start;
    // Eight independent additions at a time keep the processor busy; the sum is looked at after.
    for (; lineEnd - pos >= 8 && width <= m_wrapWidth; pos += 8) {
        const auto* const b = bytes + pos;
        width += (m_advance[b[0]] + m_advance[b[1]]) + (m_advance[b[2]] + m_advance[b[3]]) +
                 (m_advance[b[4]] + m_advance[b[5]]) + (m_advance[b[6]] + m_advance[b[7]]);
    }
    for (; pos < lineEnd && width <= m_wrapWidth; ++pos) {
        width += m_advance[bytes[pos]];
    }
    return width <= m_wrapWidth;
}

std::uint64_t TFastResultPane::WrapRow(std::uint64_t start, std::uint64_t lineEnd) const
{
    const char* const bytes = m_text.data();
    std::int64_t x = 0;
    std::uint64_t lastBreak = start;
    for (std::uint64_t pos = start; pos < lineEnd; ++pos) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        x += m_advance[byte];
        if (byte == ' ') {
            if (x > kMaxHang * m_wrapWidth && pos > start) {
                return pos;
            }
            lastBreak = pos + 1;
        } else if (x > m_wrapWidth && pos > start) {
            // Break after the last blank; a word wider than the pane breaks where it overflows.
            return lastBreak > start ? lastBreak : pos;
        }
    }
    return lineEnd;
}

std::uint64_t TFastResultPane::RowStop(const TRowStart& row, std::uint64_t lineEnd) const
{
    return FitsOneRow(row.Start, lineEnd) ? lineEnd : WrapRow(row.Start, lineEnd);
}

TRowStart TFastResultPane::RowAt(std::uint64_t row) const
{
    TRowStart at = m_checkpoints[row / kRowsPerCheckpoint];
    for (std::uint64_t left = row % kRowsPerCheckpoint; left > 0; --left) {
        at = NextRow(at);
    }
    return at;
}

TRowStart TFastResultPane::NextRow(const TRowStart& row) const
{
    const std::uint64_t end = LineEnd(row.Line);
    const std::uint64_t stop = RowStop(row, end);
    if (stop < end) {
        return {row.Line, stop};
    }
    return {row.Line + 1, m_lines.Start(row.Line + 1)};
}

std::uint64_t TFastResultPane::RowOf(std::uint64_t position) const
{
    const std::uint64_t line = m_lines.LineOf(position);
    const auto before = [](const TRowStart& a, const TRowStart& b) {
        return a.Line < b.Line || (a.Line == b.Line && a.Start < b.Start);
    };
    // The first checkpoint is the text's start, so one at or before the position exists.
    const auto checkpoint = std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(),
                                             TRowStart{line, position}, before) -
                            1;
    std::uint64_t row =
        static_cast<std::uint64_t>(checkpoint - m_checkpoints.begin()) * kRowsPerCheckpoint;
    TRowStart at = *checkpoint;
    while (at.Line < line) {
        at = NextRow(at);
        ++row;
    }
    const std::uint64_t end = LineEnd(line);
    for (;;) {
        // A position where a row wraps belongs to the row it starts.
        const std::uint64_t stop = RowStop(at, end);
        if (position < stop || stop >= end) {
            return row;
        }
        at.Start = stop;
        ++row;
    }
}

int TFastResultPane::PageRows() const
{
    return std::max(1, (viewport()->height() - kMargin) / m_rowHeight);
}

void TFastResultPane::LayOutRow(QTextLayout& layout, const TRowStart& row, std::uint64_t stop) const
{
    layout.setText(QStringFromCp1251(Bytes().substr(row.Start, stop - row.Start)));
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    // The row was wrapped already: the layout only places and shapes it.
    line.setLineWidth(static_cast<qreal>(m_wrapWidth) / kSubpixels);
    layout.endLayout();
}

void TFastResultPane::SetTopRow(std::uint64_t row)
{
    m_topRow = std::min(row, m_scroll.LastTopRow());
    m_settingScroll = true;
    verticalScrollBar()->setValue(m_scroll.ValueOf(m_topRow));
    m_settingScroll = false;
    viewport()->update();
}
