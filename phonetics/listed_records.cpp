// The records of a listing of rhymes in groups, or of words spelled with their stress.

#include "phonetics/listed_records.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>

#include "search/hit_order.h"

std::vector<THitRecord> ListedRecords(const THitSet& hits, bool alphabetical,
                                      const TRhymeSearch* rhymes, const TRhymeIndex* stressed,
                                      bool byLength)
{
    std::vector<THitRecord> records;
    // Without rhymes, one pass takes every hit.
    const std::size_t groups = rhymes != nullptr ? TRhymeSearch::kGroups : 1;
    for (std::size_t group = 0; group < groups; ++group) {
        THitSet part;
        TRowCursor rows(hits);
        hits.ForEach([&](std::size_t number) {
            const TStoredWord word = rows.At(number);
            if (rhymes == nullptr || rhymes->GroupOf(word.Row, word.Index) == group) {
                part.Add(number);
            }
        });
        THitOrder order;
        order.Sort(part, alphabetical);
        const std::size_t groupStart = records.size();
        for (THitRecord& record : THitList(part, std::move(order)).Records()) {
            if (rhymes != nullptr) {
                record.Label = std::string(TierName(rhymes->TierOf(record.Row, record.Index)));
            }
            if (stressed != nullptr) {
                record.Word = StressedSpelling(
                    *stressed, record.Row, record.Index,
                    rhymes != nullptr && rhymes->BySecondReading(record.Row, record.Index));
            }
            records.push_back(std::move(record));
        }
        if (byLength) {
            const auto letters = [](const THitRecord& record) {
                return record.Word.size() - static_cast<std::size_t>(std::count(
                                                record.Word.begin(), record.Word.end(), '\''));
            };
            std::stable_sort(
                records.begin() + static_cast<std::ptrdiff_t>(groupStart), records.end(),
                [&](const THitRecord& a, const THitRecord& b) { return letters(a) > letters(b); });
        }
    }
    return records;
}
