// The clipboard's copy of the result pane's selection, turned into text when first asked for.

#include "ui/selection_mime_data.h"

#include "ui/qt_text.h"

namespace {

QString PlainText()
{
    return QStringLiteral("text/plain");
}

}  // namespace

TSelectionMimeData::TSelectionMimeData(std::string_view bytes)
    : m_bytes(bytes.begin(), bytes.end())
{}

QStringList TSelectionMimeData::formats() const
{
    return {PlainText()};
}

bool TSelectionMimeData::hasFormat(const QString& mimeType) const
{
    return mimeType == PlainText();
}

QVariant TSelectionMimeData::retrieveData(const QString& mimeType, QMetaType /*type*/) const
{
    if (mimeType != PlainText()) {
        return {};
    }
    if (m_text.isNull()) {
        m_text = PaneTextFromCp1251({m_bytes.data(), m_bytes.size()});
        m_bytes = {};
    }
    return m_text;
}
