// The result pane for assistive technology: offsets are the pane's byte offsets, one character
// per Windows-1251 byte, so a line break counts its CR and its LF.

#include "ui/pane_accessible.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "ui/fast_result_pane.h"
#include "ui/qt_text.h"

namespace {

QAccessibleInterface* PaneFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TFastResultPane") && object->isWidgetType()) {
        return new TPaneAccessible(static_cast<TFastResultPane*>(object));
    }
    return nullptr;
}

int Offset(std::uint64_t position)
{
    return static_cast<int>(std::min<std::uint64_t>(position, INT_MAX));
}

}  // namespace

TPaneAccessible::TPaneAccessible(TFastResultPane* pane)
    : QAccessibleWidget(pane, QAccessible::EditableText)
{}

void TPaneAccessible::Install()
{
    QAccessible::installFactory(PaneFactory);
}

TFastResultPane* TPaneAccessible::Pane() const
{
    return static_cast<TFastResultPane*>(widget());
}

void* TPaneAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TPaneAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString TPaneAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value) {
        return QStringFromCp1251(Pane()->TextBytes());
    }
    return QAccessibleWidget::text(type);
}

void TPaneAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && selectionCount() == 1) {
        const std::uint64_t anchor = Pane()->AnchorPosition();
        const std::uint64_t position = Pane()->CursorPosition();
        *startOffset = Offset(std::min(anchor, position));
        *endOffset = Offset(std::max(anchor, position));
    }
}

int TPaneAccessible::selectionCount() const
{
    return Pane()->AnchorPosition() != Pane()->CursorPosition() ? 1 : 0;
}

void TPaneAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TPaneAccessible::removeSelection(int /*selectionIndex*/)
{
    Pane()->SetSelection(Pane()->CursorPosition(), Pane()->CursorPosition());
}

void TPaneAccessible::setSelection(int /*selectionIndex*/, int startOffset, int endOffset)
{
    const auto size = static_cast<int>(std::min<std::size_t>(Pane()->TextBytes().size(), INT_MAX));
    Pane()->SetSelection(static_cast<std::uint64_t>(std::clamp(startOffset, 0, size)),
                         static_cast<std::uint64_t>(std::clamp(endOffset, 0, size)));
}

int TPaneAccessible::cursorPosition() const
{
    return Offset(Pane()->CursorPosition());
}

void TPaneAccessible::setCursorPosition(int position)
{
    setSelection(0, position, position);
}

QString TPaneAccessible::text(int startOffset, int endOffset) const
{
    const std::string_view bytes = Pane()->TextBytes();
    const auto start = static_cast<std::size_t>(std::max(startOffset, 0));
    // -1 stands for the end of the text.
    const std::size_t end =
        endOffset < 0 ? bytes.size() : std::min(bytes.size(), static_cast<std::size_t>(endOffset));
    if (start >= end) {
        return {};
    }
    return QStringFromCp1251(bytes.substr(start, end - start));
}

QString TPaneAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                      int* startOffset, int* endOffset) const
{
    const std::string_view bytes = Pane()->TextBytes();
    if (boundaryType != QAccessible::LineBoundary || offset < 0 ||
        static_cast<std::size_t>(offset) > bytes.size()) {
        return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
    }
    const auto [start, end] = Pane()->LineAround(static_cast<std::uint64_t>(offset));
    *startOffset = Offset(start);
    *endOffset = Offset(end);
    return QStringFromCp1251(bytes.substr(start, end - start));
}

int TPaneAccessible::characterCount() const
{
    return Offset(Pane()->TextBytes().size());
}

QRect TPaneAccessible::characterRect(int offset) const
{
    TFastResultPane* pane = Pane();
    const QRect caret = pane->CursorRect(static_cast<std::uint64_t>(std::max(offset, 0)));
    // The caret's place with an average character's width: near enough for a reader's magnifier.
    return QRect(pane->viewport()->mapToGlobal(caret.topLeft()),
                 QSize(pane->fontMetrics().averageCharWidth(), caret.height()));
}

int TPaneAccessible::offsetAtPoint(const QPoint& point) const
{
    TFastResultPane* pane = Pane();
    return Offset(pane->PositionAt(pane->viewport()->mapFromGlobal(point)));
}

void TPaneAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    setSelection(0, startIndex, endIndex);
}

QString TPaneAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = offset;
    return {};
}
