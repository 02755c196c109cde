#pragma once
// The result pane as a read-only plain-text editor: the yardstick the pane benchmark measures the
// window's own pane against. Texts are Windows-1251 with CR LF between lines.

#include <string>

#include <QPlainTextEdit>
#include <QString>

#include "ui/result_pane.h"

class QMimeData;
class QWidget;

// A read-only editor that wraps lines at its width and scrolls only vertically.
class TPlainResultPane : public QPlainTextEdit, public TResultPane
{
    Q_OBJECT

public:
    explicit TPlainResultPane(QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }
    void SetText(const std::string& text) override;
    void BeginText(std::size_t sizeBound) override;
    void AppendText(std::string_view piece) override;
    void EndText() override;
    std::string Text() const override;
    std::string SelectedText() const override;
    void SelectAll() override;
    void CopySelection() override;
    void HoldRepaints() override;
    void ReleaseRepaints() override;

protected:
    // The selection as plain text only: the editor's own rich copy takes seconds for a long
    // listing.
    QMimeData* createMimeDataFromSelection() const override;

private:
    std::string m_pending;  // the pieces between BeginText() and EndText()
};

// The editor's text as the pane gives it out: line breaks as the editor stores them ("\n",
// U+2029, U+2028) become CR LF; a character without a Windows-1251 form becomes "?".
std::string Cp1251FromPaneText(const QString& text);
