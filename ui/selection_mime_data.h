#pragma once
// The clipboard's copy of the result pane's selection: its Windows-1251 bytes, turned into text
// when someone first asks for it. Turning a long selection into text at once would fault in twice
// its size in fresh memory before the menu could close.

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
