// The clipboard's copy of the result pane's selection, turned into text when first asked for,
// and of a table, as text and as HTML.

#include "ui/selection_mime_data.h"

#include <QStringList>

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

QString HtmlTableOf(const QString& tsv)
{
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>");
    const QStringList lines = tsv.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString cell = i == 0 ? QStringLiteral("th") : QStringLiteral("td");
        html += QStringLiteral("<tr>");
        for (const QString& field : lines[i].split(QLatin1Char('\t'))) {
            html += QStringLiteral("<%1>%2</%1>").arg(cell, field.toHtmlEscaped());
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table></body></html>");
}

QMimeData* NewTableMimeData(const QString& tsv)
{
    auto* data = new QMimeData;
    data->setText(tsv);
    data->setHtml(HtmlTableOf(tsv));
    return data;
}
