#pragma once
// The records of a run's listing when a front end lists more than the words: rhymes group after
// group, words spelled with their stress.

#include <vector>

#include "phonetics/rhyme_index.h"
#include "search/hit_listing.h"
#include "search/hit_set.h"

// The hits as the records of their listing, by word when alphabetical, else by falling ipm. With
// rhymes, group after group (TRhymeSearch::GroupOf: the rich, then the exact rhymes of each
// reading, then the near ones), the order within each, and each record labelled with its tier's
// name (TierName); with stressed, each word is spelled with its stress from that index
// (StressedSpelling). Both indexes must be ready. With byLength, the longest words come first
// within each group, the order asked for among words of one length (a stress mark is no letter).
std::vector<THitRecord> ListedRecords(const THitSet& hits, bool alphabetical,
                                      const TRhymeSearch* rhymes, const TRhymeIndex* stressed,
                                      bool byLength = false);
