// The records of a listing of rhymes in tiers, or of words spelled with their stress.

#include "ui/record_listing.h"

#include <string>
#include <utility>

#include "search/hit_order.h"

std::vector<THitRecord> ListedRecords(const THitSet& hits, bool alphabetical,
                                      const TRhymeSearch* rhymes, const TRhymeIndex* stressed)
{
    constexpr TRhymeTier kTiers[] = {TRhymeTier::Rich, TRhymeTier::Exact, TRhymeTier::Near};
    std::vector<THitRecord> records;
    for (const TRhymeTier tier : kTiers) {
        // Without rhymes, one pass takes every hit.
        if (rhymes == nullptr && tier != TRhymeTier::Rich) {
            break;
        }
        THitSet part;
        TRowCursor rows(hits);
        hits.ForEach([&](std::size_t number) {
            const TStoredWord word = rows.At(number);
            if (rhymes == nullptr || rhymes->TierOf(word.Row, word.Index) == tier) {
                part.Add(number);
            }
        });
        THitOrder order;
        order.Sort(part, alphabetical);
        for (THitRecord& record : THitList(part, std::move(order)).Records()) {
            if (rhymes != nullptr) {
                record.Label = std::string(TierName(tier));
            }
            if (stressed != nullptr) {
                record.Word = StressedSpelling(*stressed, record.Row, record.Index);
            }
            records.push_back(std::move(record));
        }
    }
    return records;
}
