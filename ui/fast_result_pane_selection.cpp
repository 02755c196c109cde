// The fast result pane's caret and selection: where the mouse and the keys put them, characters
// and words on byte offsets, the clipboard, and the caret's line for screen readers.

#include <algorithm>
#include <climits>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextLayout>

#include "ui/fast_result_pane.h"
#include "ui/qt_text.h"
#include "ui/selection_mime_data.h"
#include "ui/word_bounds.h"

namespace {

constexpr int kAutoScrollMs = 50;
// The accessible description holds the caret's line, cut to this many characters.
constexpr qsizetype kAccessibleLineChars = 1000;

}  // namespace

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

std::pair<std::uint64_t, std::uint64_t> TFastResultPane::LineAround(std::uint64_t position) const
{
    const std::uint64_t line = m_lines.LineOf(position);
    return {m_lines.Start(line), LineEnd(line)};
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
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        // The menu the right button opens, at the caret, in the viewport's coordinates as the
        // mouse's menu reports them.
        const QRect caret = CursorRect(m_position);
        const QPoint at(std::clamp(caret.left(), 0, viewport()->width() - 1),
                        std::clamp(caret.bottom(), 0, viewport()->height() - 1));
        emit customContextMenuRequested(at);
        return;
    }
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
    QAccessibleTextCursorEvent moved(
        this, static_cast<int>(std::min<std::uint64_t>(m_position, INT_MAX)));
    QAccessible::updateAccessibility(&moved);
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
