// The fast result pane's text: the bytes and their line index, given whole or in pieces, the
// shown text kept aside while a search may fail, and spare memory given back after a while.
// Its rows are in fast_result_pane_layout.cpp, painting in fast_result_pane_paint.cpp, the caret
// and the selection in fast_result_pane_selection.cpp.

#include "ui/fast_result_pane.h"

#include <QTimerEvent>

#include "ui/pane_accessible.h"

namespace {

// Memory held beyond what the text needs is given back after this long.
constexpr int kTrimDelayMs = 5000;
constexpr std::size_t kKeptSpare = std::size_t{1} << 20;

}  // namespace

TFastResultPane::TFastResultPane(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    // Before the name: naming the pane may already make its accessible interface.
    static const bool accessible = (TPaneAccessible::Install(), true);
    (void)accessible;
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

void TFastResultPane::HoldRepaints()
{
    setUpdatesEnabled(false);
}

void TFastResultPane::ReleaseRepaints()
{
    setUpdatesEnabled(true);
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
