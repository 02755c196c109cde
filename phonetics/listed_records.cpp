// The records of a listing of rhymes in groups, or of words spelled with their stress.

#include "phonetics/listed_records.h"

#include <string>
#include <utility>

#include "search/hit_order.h"

std::vector<THitRecord> ListedRecords(const THitSet& hits, bool alphabetical,
                                      const TRhymeSearch* rhymes, const TRhymeIndex* stressed)
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
    }
    return records;
}
