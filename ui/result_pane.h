#pragma once
// The result pane: what the window asks of the widget that shows a listing, and the pane used
// now, a read-only plain-text editor. Texts are Windows-1251 with CR LF between lines.

#include <string>

#include <QPlainTextEdit>

class QWidget;

class TResultPane
{
public:
    virtual ~TResultPane() = default;

    // The widget to place in the window.
    virtual QWidget* Widget() = 0;

    // Replaces the whole text.
    virtual void SetText(const std::string& text) = 0;
    // The whole text, and the selected part of it (empty when nothing is selected).
    virtual std::string Text() const = 0;
    virtual std::string SelectedText() const = 0;

    virtual void SelectAll() = 0;
    // Puts the selection on the clipboard as plain text with "\n" between lines; leaves the
    // clipboard alone when nothing is selected.
    virtual void CopySelection() = 0;

    // While held, the pane does not repaint; releasing repaints it once.
    virtual void HoldRepaints() = 0;
    virtual void ReleaseRepaints() = 0;
};

// A read-only editor that wraps lines at its width and scrolls only vertically.
class TPlainResultPane : public QPlainTextEdit, public TResultPane
{
    Q_OBJECT

public:
    explicit TPlainResultPane(QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }
    void SetText(const std::string& text) override;
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
};

// The text for the pane: Windows-1251 decoded, and each CR LF (or a lone CR or LF) turned into
// "\n".
QString PaneTextFromCp1251(const std::string& text);

// The inverse: line breaks as the editor stores them ("\n", U+2029, U+2028) become CR LF; a
// character without a Windows-1251 form becomes "?".
std::string Cp1251FromPaneText(const QString& text);
