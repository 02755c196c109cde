#pragma once
// The clipboard's copies: the result pane's selection, its Windows-1251 bytes turned into text
// when someone first asks for it (turning a long selection into text at once would fault in twice
// its size in fresh memory before the menu could close), and a table as text and as HTML.

#include <string_view>
#include <vector>

#include <QMimeData>
#include <QString>

#include "wordstore/large_array.h"

class TSelectionMimeData : public QMimeData
{
public:
    // Copies bytes; the text it offers as text/plain has "\n" between lines.
    explicit TSelectionMimeData(std::string_view bytes);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    mutable std::vector<char, TLargeAllocator<char>> m_bytes;
    mutable QString m_text;
};

// The HTML table of tsv, a tab-separated table with "\n" between lines: one row per line, one
// cell per field, the first line's as header cells, every character escaped as HTML needs.
QString HtmlTableOf(const QString& tsv);

// New clipboard data of a table: tsv as text/plain and HtmlTableOf(tsv) as text/html, which a
// spreadsheet pastes into cells.
QMimeData* NewTableMimeData(const QString& tsv);
