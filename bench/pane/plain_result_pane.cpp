// The result pane as a read-only plain-text editor, and the editor's text back to Windows-1251.

#include "bench/pane/plain_result_pane.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

#include "ui/qt_text.h"
#include "wordstore/encoding.h"

std::string Cp1251FromPaneText(const QString& text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()) + 16);
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == u'\n' || unit == QChar::ParagraphSeparator || unit == QChar::LineSeparator) {
            out += "\r\n";
            continue;
        }
        const int byte = UnicodeToCp1251(unit);
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return out;
}

TPlainResultPane::TPlainResultPane(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
}

void TPlainResultPane::SetText(const std::string& text)
{
    setPlainText(PaneTextFromCp1251(text));
}

void TPlainResultPane::BeginText(std::size_t sizeBound)
{
    m_pending.clear();
    m_pending.reserve(sizeBound);
}

void TPlainResultPane::AppendText(std::string_view piece)
{
    m_pending += piece;
}

void TPlainResultPane::EndText()
{
    SetText(m_pending);
    m_pending.clear();
}

std::string TPlainResultPane::Text() const
{
    // The raw text keeps no-break spaces, which toPlainText() would turn into blanks.
    return Cp1251FromPaneText(document()->toRawText());
}

std::string TPlainResultPane::SelectedText() const
{
    return Cp1251FromPaneText(textCursor().selectedText());
}

void TPlainResultPane::SelectAll()
{
    selectAll();
}

void TPlainResultPane::CopySelection()
{
    // copy() does nothing without a selection and goes through createMimeDataFromSelection().
    copy();
}

void TPlainResultPane::HoldRepaints()
{
    setUpdatesEnabled(false);
}

void TPlainResultPane::ReleaseRepaints()
{
    setUpdatesEnabled(true);
}

QMimeData* TPlainResultPane::createMimeDataFromSelection() const
{
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    auto* mime = new QMimeData;
    mime->setText(text);
    return mime;
}
