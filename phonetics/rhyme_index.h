#pragma once
// The rhyme index of the loaded dictionaries, loaded from its cache or built on a thread of its
// own while a front end goes on, and the rhyme search and headword test that read it.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "phonetics/dict_rhymes.h"
#include "phonetics/rhyme_cache.h"
#include "search/search_run.h"

// How a rhyme index build shares the machine: as any work, for a front end that waits for it, or
// after all other work, for one that builds it beside what its user does.
enum class TBuildPriority {
    Normal,
    Background,
};

// The rhyme index of the word store's dictionaries, built or loaded on a thread of its own.
//
// Threading: Start(), Cancel(), Wait(), Ready(), Progress(), Dictionaries() and TakeWarnings()
// are called from one thread, the front end's. The build thread reads DictWords: the word store
// must not change from Start() until Ready() holds or Cancel() returned. Dictionaries() may be
// read once Ready() holds (or Wait() returned true), until the next Start() or Cancel().
class TRhymeIndex
{
public:
    TRhymeIndex();
    // Cancels a build under way and waits for its thread.
    ~TRhymeIndex();
    TRhymeIndex(const TRhymeIndex&) = delete;
    TRhymeIndex& operator=(const TRhymeIndex&) = delete;

    // Starts indexing the word store's rows 0 .. paths.size() - 1, row i's word list being the
    // file paths[i]: each is loaded from the cache in cacheFolder when a fitting one is there,
    // else built and written there. A cache that cannot be written is a warning; the index is
    // then kept in memory only, as it is, with a warning, when cacheFolder is empty. A row with no
    // total, which no search walks (its words were not loaded, say), gets an empty index and its
    // cache is left alone. Cancels an earlier build first. A build in the background runs at the
    // lowest priority, its helper process too, so that it takes only the time the machine does not
    // want for other work, such as the searches of the window that started it.
    void Start(std::vector<std::string> paths, std::string cacheFolder = RhymeCacheFolder(),
               TBuildPriority priority = TBuildPriority::Normal);
    // Stops a build under way and waits for its thread; Ready() is false afterwards.
    void Cancel();
    // Whether the index of every row is there.
    bool Ready() const;
    // The part of the work done, 0 to 1.
    double Progress() const;
    // Waits until the index is ready, calling progress(Progress()) on this thread at the start
    // and about every 100 ms; progress returning false cancels the build. Returns whether the
    // index is ready. Rethrows what stopped the build (EPhoneticsError). Returns false at once
    // when nothing was started.
    bool Wait(const std::function<bool(double fraction)>& progress = {});
    // The rows' indexes, row i at i, with their key lists made.
    const std::vector<TDictRhymes>& Dictionaries() const;
    // The warnings gathered since the last call, Windows-1251 (a cache that could not be
    // written).
    std::vector<std::string> TakeWarnings();

private:
    struct TBuild;
    std::unique_ptr<TBuild> m_build;
};

// The filter's Keep test for the headwords of index's rows; index must be ready and outlive it.
std::function<bool(std::size_t row, std::size_t index)> HeadwordTest(const TRhymeIndex& index);

// The word test of the rhyme search for word (Windows-1251, as typed: a "'" or acute accent after
// a vowel picks the stress): the words whose rhyme key is one of the word's, the word itself
// aside. index must be ready. A word without a rhyme key takes no word. Throws EPhoneticsError.
TWordTest RhymeTest(const std::string& word, const TRhymeIndex& index);
