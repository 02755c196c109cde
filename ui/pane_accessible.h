#pragma once
// What assistive technology reads of the result pane: its whole text, the line at the caret and
// the selection, through Qt's accessible text interface.

#include <QAccessibleWidget>

class TFastResultPane;

class TPaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TPaneAccessible(TFastResultPane* pane);

    // Makes Qt give every result pane this interface; call once, before the first pane is shown
    // to assistive technology.
    static void Install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    // The pane's name; its value is its whole text.
    QString text(QAccessible::Text type) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    // A line is found through the pane's line index rather than by reading the whole text.
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    TFastResultPane* Pane() const;
};
