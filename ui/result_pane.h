#pragma once
// The result pane: what the window asks of the widget that shows a listing. Texts are
// Windows-1251 with CR LF between lines.

#include <cstddef>
#include <string>
#include <string_view>

class QWidget;

class TResultPane
{
public:
    virtual ~TResultPane() = default;

    // The widget to place in the window.
    virtual QWidget* Widget() = 0;

    // Replaces the whole text.
    virtual void SetText(const std::string& text) = 0;
    // Replaces the whole text with the pieces given between the two calls, as SetText() of them
    // joined would; sizeBound is at least their length. A long text then never stands twice in
    // memory.
    virtual void BeginText(std::size_t sizeBound) = 0;
    virtual void AppendText(std::string_view piece) = 0;
    virtual void EndText() = 0;
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
