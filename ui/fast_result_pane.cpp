// The fast result pane: the rows of wrapped lines kept as checkpoints, painting only the rows in
// view, and selection by mouse and keyboard on byte offsets.

#include "ui/fast_result_pane.h"

#include <algorithm>
#include <climits>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <QWheelEvent>

#include "ui/qt_text.h"
#include "ui/selection_mime_data.h"
#include "ui/word_bounds.h"

namespace {

// Room between the pane's edge and its text, as a text document leaves it.
constexpr int kMargin = 4;
constexpr std::uint64_t kRowsPerCheckpoint = 64;
// Widths are summed in 1/64 pixel, as integers, so that every sum of the same bytes agrees.
constexpr int kSubpixels = 64;
constexpr int kAutoScrollMs = 50;
// Memory held beyond what the text needs is given back after this long.
constexpr int kTrimDelayMs = 5000;
constexpr std::size_t kKeptSpare = std::size_t{1} << 20;
constexpr int kWheelNotch = 120;
// The accessible description holds the caret's line, cut to this many characters.
constexpr qsizetype kAccessibleLineChars = 1000;
// Blanks hang past the right edge, as in a text editor, but no further than this many widths.
constexpr std::int64_t kMaxHang = 2;

}  // namespace

TFastResultPane::TFastResultPane(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    setAccessibleName(QStringLiteral("Результат поиска"));
    m_lines.Build(Bytes());
}

void TFastResultPane::SetText(const std::string& text)
{
    BeginText(text.size());
    AppendText(text);
    EndText();
}

void TFastResultPane::BeginText(std::size_t sizeBound)
{
    if (m_keepOnReplace) {
        m_keepOnReplace = false;
        // Moved, not copied: the kept listing may be long. The new text then takes fresh memory.
        const std::uint64_t topPosition = m_layoutValid ? RowAt(m_topRow).Start : m_topPosition;
        m_kept.emplace(TKeptView{std::move(m_text), std::move(m_lines), std::move(m_checkpoints),
                                 m_layoutValid, m_wrapWidth, m_rowCount, m_topRow, topPosition,
                                 m_anchor, m_position});
    }
    // The memory of a longer text is kept for a while: the listing of a search follows the
    // interim text at once, and memory the system has to map afresh costs more than the copy.
    m_text.clear();
    m_text.reserve(sizeBound);
}

void TFastResultPane::AppendText(std::string_view piece)
{
    m_text.insert(m_text.end(), piece.begin(), piece.end());
}

void TFastResultPane::EndText()
{
    m_lines.Build(Bytes());
    ScheduleTrim();
    m_anchor = 0;
    m_position = 0;
    m_goalX = -1;
    m_topRow = 0;
    m_topPosition = 0;
    m_layoutValid = false;
    m_accessibleLine = UINT64_MAX;
    if (isVisible()) {
        EnsureLayout();
    }
    UpdateAccessibleLine();
    viewport()->update();
}

void TFastResultPane::KeepOnReplace()
{
    m_kept.reset();
    m_keepOnReplace = true;
}

bool TFastResultPane::RestoreKept()
{
    m_keepOnReplace = false;
    if (!m_kept) {
        return false;
    }
    TKeptView kept = std::move(*m_kept);
    m_kept.reset();
    m_text = std::move(kept.Text);
    m_lines = std::move(kept.Lines);
    m_checkpoints = std::move(kept.Checkpoints);
    m_wrapWidth = kept.WrapWidth;
    m_rowCount = kept.RowCount;
    m_topRow = kept.TopRow;
    m_topPosition = kept.TopPosition;
    m_anchor = kept.Anchor;
    m_position = kept.Position;
    m_goalX = -1;
    m_selecting = false;
    m_accessibleLine = UINT64_MAX;
    ScheduleTrim();
    // The kept rows hold while the width and the font are what they were laid out for; otherwise
    // they are laid out again around the kept top position.
    m_layoutValid = kept.LayoutValid && m_metricsValid && kept.WrapWidth == ViewWrapWidth();
    if (m_layoutValid) {
        UpdateScrollBar();
    } else if (isVisible()) {
        EnsureLayout();
    }
    UpdateAccessibleLine();
    viewport()->update();
    return true;
}

void TFastResultPane::DropKept()
{
    m_keepOnReplace = false;
    m_kept.reset();
}

void TFastResultPane::ScheduleTrim()
{
    if (m_text.capacity() > 2 * m_text.size() + kKeptSpare) {
        m_trim.start(kTrimDelayMs, this);
    } else {
        m_trim.stop();
    }
}

std::int64_t TFastResultPane::ViewWrapWidth() const
{
    return std::max(viewport()->width() - 2 * kMargin, 1) * kSubpixels;
}

std::string TFastResultPane::SelectedText() const
{
    return std::string(Selection());
}

std::pair<std::string, std::size_t> TFastResultPane::CaretLine() const
{
    const std::uint64_t line = m_lines.LineOf(m_position);
    const std::uint64_t start = m_lines.Start(line);
    return {std::string(Bytes().substr(start, LineEnd(line) - start)), m_position - start};
}

void TFastResultPane::SelectAll()
{
    // The view stays where it is: copy all should not make the listing jump.
    m_anchor = 0;
    m_position = m_text.size();
    m_goalX = -1;
    viewport()->update();
}

void TFastResultPane::CopySelection()
{
    if (m_anchor == m_position) {
        return;
    }
    QGuiApplication::clipboard()->setMimeData(new TSelectionMimeData(Selection()));
}

void TFastResultPane::HoldRepaints()
{
    setUpdatesEnabled(false);
}

void TFastResultPane::ReleaseRepaints()
{
    setUpdatesEnabled(true);
}

void TFastResultPane::SetSelection(std::uint64_t anchor, std::uint64_t position)
{
    m_anchor = Snapped(anchor);
    SetCaret(Snapped(position), true);
}

std::uint64_t TFastResultPane::PositionAt(const QPoint& point)
{
    EnsureLayout();
    const qint64 row = RowAtY(point.y());
    if (row < 0) {
        return 0;
    }
    if (static_cast<std::uint64_t>(row) >= m_rowCount) {
        return m_text.size();
    }
    return PositionInRow(static_cast<std::uint64_t>(row), point.x());
}

QRect TFastResultPane::CursorRect(std::uint64_t position)
{
    EnsureLayout();
    position = Snapped(position);
    const std::uint64_t row = RowOf(position);
    const qint64 rows = static_cast<qint64>(row) - static_cast<qint64>(m_topRow);
    const qint64 y = std::clamp<qint64>(kMargin + rows * m_rowHeight, INT_MIN / 2, INT_MAX / 2);
    return QRect(qRound(CaretX(position)), static_cast<int>(y), 1, m_rowHeight);
}

std::uint64_t TFastResultPane::RowCount()
{
    EnsureLayout();
    return m_rowCount;
}

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

void TFastResultPane::keyPressEvent(QKeyEvent* event)
{
    struct TKey
    {
        QKeySequence::StandardKey Move;
        QKeySequence::StandardKey Select;
        TMove To;
    };
    static constexpr TKey kKeys[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, TMove::NextChar},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, TMove::PreviousChar},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, TMove::NextWord},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, TMove::PreviousWord},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, TMove::NextRow},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, TMove::PreviousRow},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, TMove::NextPage},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, TMove::PreviousPage},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, TMove::StartOfRow},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, TMove::EndOfRow},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
         TMove::StartOfText},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, TMove::EndOfText},
    };
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    for (const TKey& key : kKeys) {
        const bool select = event->matches(key.Select);
        if (select || event->matches(key.Move)) {
            Move(key.To, select);
            return;
        }
    }
    event->ignore();
}

void TFastResultPane::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        // The right button is the window's context menu; it leaves the selection alone.
        event->accept();
        return;
    }
    m_mouse = event->position().toPoint();
    SetCaret(PositionAt(m_mouse), event->modifiers().testFlag(Qt::ShiftModifier));
    m_selecting = true;
}

void TFastResultPane::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting || !event->buttons().testFlag(Qt::LeftButton)) {
        return;
    }
    m_mouse = event->position().toPoint();
    const bool outside = m_mouse.y() < 0 || m_mouse.y() >= viewport()->height();
    if (outside && !m_autoScroll.isActive()) {
        m_autoScroll.start(kAutoScrollMs, this);
    } else if (!outside) {
        m_autoScroll.stop();
    }
    const QPoint inside(m_mouse.x(), std::clamp(m_mouse.y(), 0, viewport()->height() - 1));
    const std::uint64_t position = PositionAt(inside);
    if (position != m_position) {
        m_position = position;
        m_goalX = -1;
        RestartBlink();
        viewport()->update();
    }
}

void TFastResultPane::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    m_selecting = false;
    m_autoScroll.stop();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (m_anchor != m_position && clipboard->supportsSelection()) {
        clipboard->setMimeData(new TSelectionMimeData(Selection()), QClipboard::Selection);
    }
}

void TFastResultPane::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    // A word stays selected however the mouse shakes until the button is up.
    m_selecting = false;
    SelectWordAt(event->position().toPoint());
}

void TFastResultPane::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
    viewport()->update();
}

void TFastResultPane::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blink.stop();
    viewport()->update();
}

void TFastResultPane::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_blink.timerId()) {
        m_caretShown = !m_caretShown;
        viewport()->update(CursorRect(m_position).adjusted(-2, 0, 2, 0));
    } else if (event->timerId() == m_autoScroll.timerId()) {
        AutoScroll();
    } else if (event->timerId() == m_trim.timerId()) {
        m_trim.stop();
        m_text.shrink_to_fit();
        m_lines.Trim();
        m_checkpoints.shrink_to_fit();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
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

void TFastResultPane::EnsureCaretVisible()
{
    EnsureLayout();
    const std::uint64_t row = RowOf(m_position);
    const auto page = static_cast<std::uint64_t>(PageRows());
    if (row < m_topRow) {
        SetTopRow(row);
    } else if (row >= m_topRow + page) {
        SetTopRow(row - page + 1);
    }
}

qreal TFastResultPane::CaretX(std::uint64_t position)
{
    const TRowStart at = RowAt(RowOf(position));
    QTextLayout layout;
    LayOutRow(layout, at, RowStop(at, LineEnd(at.Line)));
    return kMargin + layout.lineAt(0).cursorToX(static_cast<int>(position - at.Start));
}

qint64 TFastResultPane::RowAtY(int y) const
{
    const int offset = y - kMargin;
    const qint64 rows =
        offset >= 0 ? offset / m_rowHeight : -((m_rowHeight - 1 - offset) / m_rowHeight);
    return static_cast<qint64>(m_topRow) + rows;
}

std::uint64_t TFastResultPane::PositionInRow(std::uint64_t row, qreal x)
{
    const TRowStart at = RowAt(row);
    const std::uint64_t end = LineEnd(at.Line);
    const std::uint64_t stop = RowStop(at, end);
    QTextLayout layout;
    LayOutRow(layout, at, stop);
    const std::uint64_t position =
        at.Start + static_cast<std::uint64_t>(layout.lineAt(0).xToCursor(x - kMargin));
    // Past the end of a wrapped row the caret stays on that row, before its last character.
    if (position == stop && stop < end && stop > at.Start) {
        return stop - 1;
    }
    return position;
}

void TFastResultPane::Move(TMove move, bool keepAnchor)
{
    EnsureLayout();
    const bool collapse = !keepAnchor && m_anchor != m_position;
    std::uint64_t target = m_position;
    qreal goalX = -1;
    switch (move) {
        case TMove::NextChar:
            target = collapse ? std::max(m_anchor, m_position) : NextChar(m_position);
            break;
        case TMove::PreviousChar:
            target = collapse ? std::min(m_anchor, m_position) : PreviousChar(m_position);
            break;
        case TMove::NextWord:
            target = NextWord(m_position);
            break;
        case TMove::PreviousWord:
            target = PreviousWord(m_position);
            break;
        case TMove::NextRow:
        case TMove::PreviousRow:
        case TMove::NextPage:
        case TMove::PreviousPage: {
            goalX = m_goalX >= 0 ? m_goalX : CaretX(m_position);
            const std::uint64_t row = RowOf(m_position);
            const bool page = move == TMove::NextPage || move == TMove::PreviousPage;
            const std::uint64_t rows = page ? static_cast<std::uint64_t>(PageRows()) : 1;
            if (move == TMove::NextRow || move == TMove::NextPage) {
                if (page) {
                    SetTopRow(m_topRow + rows);
                }
                // Down from the last row goes to the end of the text.
                target = row + 1 < m_rowCount
                             ? PositionInRow(std::min(row + rows, m_rowCount - 1), goalX)
                             : m_text.size();
            } else {
                if (page) {
                    SetTopRow(m_topRow > rows ? m_topRow - rows : 0);
                }
                target = row > 0 ? PositionInRow(row > rows ? row - rows : 0, goalX) : 0;
            }
            break;
        }
        case TMove::StartOfRow:
            target = RowAt(RowOf(m_position)).Start;
            break;
        case TMove::EndOfRow: {
            const TRowStart at = RowAt(RowOf(m_position));
            const std::uint64_t end = LineEnd(at.Line);
            const std::uint64_t stop = RowStop(at, end);
            // On a wrapped row the end is before its last character, so the caret stays on it.
            target = stop < end ? stop - 1 : stop;
            break;
        }
        case TMove::StartOfText:
            target = 0;
            break;
        case TMove::EndOfText:
            target = m_text.size();
            break;
    }
    SetCaret(target, keepAnchor);
    m_goalX = goalX;
}

void TFastResultPane::SetCaret(std::uint64_t position, bool keepAnchor)
{
    m_position = position;
    if (!keepAnchor) {
        m_anchor = position;
    }
    m_goalX = -1;
    EnsureCaretVisible();
    RestartBlink();
    UpdateAccessibleLine();
    viewport()->update();
}

void TFastResultPane::AutoScroll()
{
    EnsureLayout();
    const int height = viewport()->height();
    // The further beyond the edge, the faster.
    if (m_mouse.y() < 0) {
        const auto rows = static_cast<std::uint64_t>(1 + -m_mouse.y() / m_rowHeight);
        SetTopRow(m_topRow > rows ? m_topRow - rows : 0);
    } else if (m_mouse.y() >= height) {
        SetTopRow(m_topRow + static_cast<std::uint64_t>(1 + (m_mouse.y() - height) / m_rowHeight));
    } else {
        m_autoScroll.stop();
        return;
    }
    m_position = PositionAt(QPoint(m_mouse.x(), std::clamp(m_mouse.y(), 0, height - 1)));
    viewport()->update();
}

void TFastResultPane::RestartBlink()
{
    m_caretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0) {
        m_blink.start(flash / 2, this);
    } else {
        m_blink.stop();
    }
}

void TFastResultPane::UpdateAccessibleLine()
{
    if (!QAccessible::isActive()) {
        return;
    }
    // Screen readers read the description: it holds the line the caret is on.
    const std::uint64_t line = m_lines.LineOf(m_position);
    if (line == m_accessibleLine) {
        return;
    }
    m_accessibleLine = line;
    const std::uint64_t start = m_lines.Start(line);
    const std::uint64_t end = std::min<std::uint64_t>(LineEnd(line), start + kAccessibleLineChars);
    setAccessibleDescription(QStringFromCp1251(Bytes().substr(start, end - start)));
}

std::uint64_t TFastResultPane::NextChar(std::uint64_t position) const
{
    if (position >= m_text.size()) {
        return m_text.size();
    }
    if (m_text[position] == '\r' && position + 1 < m_text.size() && m_text[position + 1] == '\n') {
        return position + 2;
    }
    return position + 1;
}

std::uint64_t TFastResultPane::PreviousChar(std::uint64_t position) const
{
    if (position == 0) {
        return 0;
    }
    if (position >= 2 && m_text[position - 1] == '\n' && m_text[position - 2] == '\r') {
        return position - 2;
    }
    return position - 1;
}

std::uint64_t TFastResultPane::NextWord(std::uint64_t position) const
{
    const std::uint64_t line = m_lines.LineOf(position);
    const std::uint64_t start = m_lines.Start(line);
    const std::uint64_t end = LineEnd(line);
    if (position >= end) {
        return NextChar(position);
    }
    return start + NextWordStop(Bytes().substr(start, end - start), position - start);
}

std::uint64_t TFastResultPane::PreviousWord(std::uint64_t position) const
{
    const std::uint64_t line = m_lines.LineOf(position);
    const std::uint64_t start = m_lines.Start(line);
    if (position <= start) {
        return PreviousChar(position);
    }
    return start + PreviousWordStop(Bytes().substr(start, LineEnd(line) - start), position - start);
}

void TFastResultPane::SelectWordAt(const QPoint& point)
{
    EnsureLayout();
    const auto row = static_cast<std::uint64_t>(
        std::clamp<qint64>(RowAtY(point.y()), 0, static_cast<qint64>(m_rowCount) - 1));
    const TRowStart at = RowAt(row);
    const std::uint64_t lineStart = m_lines.Start(at.Line);
    const std::uint64_t end = LineEnd(at.Line);
    QTextLayout layout;
    LayOutRow(layout, at, RowStop(at, end));
    std::uint64_t pos = at.Start + static_cast<std::uint64_t>(layout.lineAt(0).xToCursor(
                                       point.x() - kMargin, QTextLine::CursorOnCharacter));
    if (pos >= end) {
        if (end == lineStart) {
            SetCaret(end, false);
            return;
        }
        // Beyond the end of the line: its last word.
        pos = end - 1;
    }
    const TWordSpan word = WordAt(Bytes().substr(lineStart, end - lineStart), pos - lineStart);
    m_anchor = lineStart + word.Begin;
    SetCaret(lineStart + word.End, true);
}

std::uint64_t TFastResultPane::Snapped(std::uint64_t position) const
{
    position = std::min<std::uint64_t>(position, m_text.size());
    if (position > 0 && position < m_text.size() && m_text[position - 1] == '\r' &&
        m_text[position] == '\n') {
        return position - 1;
    }
    return position;
}
