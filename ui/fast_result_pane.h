#pragma once
// A result pane for listings of any length: it keeps the Windows-1251 bytes and where each line
// starts, and lays out and paints only the rows in view.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPoint>
#include <QRect>

#include "ui/line_index.h"
#include "ui/result_pane.h"
#include "wordstore/large_array.h"

class QTextLayout;

// The start of one row on screen: a line, or the part of a long line that wraps onto one row.
struct TRowStart
{
    std::uint64_t Line = 0;
    std::uint64_t Start = 0;
};

// A read-only pane that wraps lines at word boundaries, scrolls only vertically and lets the user
// select with the mouse and the keyboard. Positions are byte offsets into the text; a position
// never falls between the CR and the LF of a line break.
class TFastResultPane : public QAbstractScrollArea, public TResultPane
{
    Q_OBJECT

public:
    explicit TFastResultPane(QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }
    void SetText(const std::string& text) override;
    void BeginText(std::size_t sizeBound) override;
    void AppendText(std::string_view piece) override;
    void EndText() override;
    std::string Text() const override { return std::string(m_text.begin(), m_text.end()); }
    std::string SelectedText() const override;
    void SelectAll() override;
    void CopySelection() override;
    void HoldRepaints() override;
    void ReleaseRepaints() override;

    // Keeps what the pane shows now (text, selection, scroll position) for RestoreKept(): the
    // next SetText() moves it aside instead of dropping it, so nothing is copied. Until then the
    // pane is untouched. Keeping again forgets what was kept before.
    void KeepOnReplace();
    // Shows what was kept again, with its selection and scroll position, and forgets it. Returns
    // false, the pane staying exactly as it is, when nothing was kept: no SetText() came since
    // KeepOnReplace(), or DropKept() came after it.
    bool RestoreKept();
    // Forgets what was kept, if anything, and the wish to keep.
    void DropKept();

    // Selects from anchor to position (the caret's place) and scrolls the caret into view.
    void SetSelection(std::uint64_t anchor, std::uint64_t position);
    std::uint64_t CursorPosition() const { return m_position; }
    std::uint64_t AnchorPosition() const { return m_anchor; }
    // The text's bytes, valid until the text changes.
    std::string_view TextBytes() const { return Bytes(); }
    // Where the line that holds position starts and where it ends, before its line break.
    std::pair<std::uint64_t, std::uint64_t> LineAround(std::uint64_t position) const;
    // The line that holds the caret, without its line break, and the caret's offset into it.
    std::pair<std::string, std::size_t> CaretLine() const;
    // The position nearest to a point of the viewport.
    std::uint64_t PositionAt(const QPoint& point);
    // The caret's rectangle at position, in viewport coordinates (it may lie outside the view).
    QRect CursorRect(std::uint64_t position);
    // How many rows the text takes at the current width, and the first row in view.
    std::uint64_t RowCount();
    std::uint64_t TopRow() const { return m_topRow; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Room between the pane's edge and its text, as a text document leaves it.
    static constexpr int kMargin = 4;
    // Widths are summed in 1/64 pixel, as integers, so that every sum of the same bytes agrees.
    static constexpr int kSubpixels = 64;

    // Where a key moves the caret.
    enum class TMove {
        NextChar,
        PreviousChar,
        NextWord,
        PreviousWord,
        NextRow,
        PreviousRow,
        NextPage,
        PreviousPage,
        StartOfRow,
        EndOfRow,
        StartOfText,
        EndOfText,
    };

    std::string_view Bytes() const { return {m_text.data(), m_text.size()}; }
    std::string_view Selection() const
    {
        return Bytes().substr(std::min(m_anchor, m_position),
                              std::max(m_anchor, m_position) - std::min(m_anchor, m_position));
    }

    // What SetText() moved aside for RestoreKept(): the text with its layout, selection and scroll.
    struct TKeptView
    {
        std::vector<char, TLargeAllocator<char>> Text;
        TLineIndex Lines;
        std::vector<TRowStart> Checkpoints;
        bool LayoutValid = false;
        std::int64_t WrapWidth = 0;
        std::uint64_t RowCount = 0;
        std::uint64_t TopRow = 0;
        std::uint64_t TopPosition = 0;
        std::uint64_t Anchor = 0;
        std::uint64_t Position = 0;
    };

    // Gives spare memory of the text back after a while, or keeps it when little is spare.
    void ScheduleTrim();
    // The width rows wrap at for the viewport's current width, in 1/64 pixel.
    std::int64_t ViewWrapWidth() const;

    // Layout: the rows of every line at the current width, kept as every 64th row's start.
    void InvalidateLayout();
    void EnsureLayout();
    void UpdateMetrics();
    void UpdateScrollBar();
    std::uint64_t LineEnd(std::uint64_t line) const;
    bool FitsOneRow(std::uint64_t start, std::uint64_t lineEnd) const;
    std::uint64_t WrapRow(std::uint64_t start, std::uint64_t lineEnd) const;
    std::uint64_t RowStop(const TRowStart& row, std::uint64_t lineEnd) const;
    TRowStart RowAt(std::uint64_t row) const;
    TRowStart NextRow(const TRowStart& row) const;
    std::uint64_t RowOf(std::uint64_t position) const;
    int PageRows() const;
    void LayOutRow(QTextLayout& layout, const TRowStart& row, std::uint64_t stop) const;

    // Scrolling and the caret.
    void SetTopRow(std::uint64_t row);
    void EnsureCaretVisible();
    qreal CaretX(std::uint64_t position);
    qint64 RowAtY(int y) const;
    std::uint64_t PositionInRow(std::uint64_t row, qreal x);
    void Move(TMove move, bool keepAnchor);
    void SetCaret(std::uint64_t position, bool keepAnchor);
    void AutoScroll();
    void RestartBlink();
    void UpdateAccessibleLine();

    // Characters and words.
    std::uint64_t NextChar(std::uint64_t position) const;
    std::uint64_t PreviousChar(std::uint64_t position) const;
    std::uint64_t NextWord(std::uint64_t position) const;
    std::uint64_t PreviousWord(std::uint64_t position) const;
    void SelectWordAt(const QPoint& point);
    std::uint64_t Snapped(std::uint64_t position) const;

    // The text's bytes, kept with their capacity until m_trim fires (see SetText).
    std::vector<char, TLargeAllocator<char>> m_text;
    TLineIndex m_lines;

    // Advances of the 256 characters in 1/64 pixel, and the widest of them.
    std::array<std::int64_t, 256> m_advance{};
    std::int64_t m_maxAdvance = 1;
    int m_rowHeight = 1;
    bool m_metricsValid = false;
    // The width rows wrap at, in 1/64 pixel.
    std::int64_t m_wrapWidth = 64;
    bool m_layoutValid = false;
    std::uint64_t m_rowCount = 1;
    std::vector<TRowStart> m_checkpoints;

    std::uint64_t m_topRow = 0;
    // The position kept at the top while the layout is redone.
    std::uint64_t m_topPosition = 0;
    TRowScroll m_scroll;
    bool m_settingScroll = false;
    int m_wheelAngle = 0;

    std::uint64_t m_anchor = 0;
    std::uint64_t m_position = 0;
    // The x the caret keeps while it moves up and down; negative when it follows the caret.
    qreal m_goalX = -1;
    bool m_selecting = false;
    QPoint m_mouse;
    QBasicTimer m_autoScroll;
    QBasicTimer m_blink;
    QBasicTimer m_trim;
    bool m_caretShown = true;
    std::uint64_t m_accessibleLine = UINT64_MAX;

    bool m_keepOnReplace = false;
    std::optional<TKeptView> m_kept;
};
