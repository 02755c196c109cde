#pragma once
// The walk of a run's words on two threads: the calling thread and a walker thread kept for the
// program's life, each taking the next stretch of word numbers as it finishes the last.

#include <atomic>
#include <cstddef>
#include <functional>

// Ends one thread's walk of a stretch early: the run no longer needs the stretch.
struct TWalkStopped
{};

// How many word numbers a stretch holds. Stretches start at multiples of it, a multiple of 64,
// so that two threads never write one 64-bit word of a hit set.
inline constexpr std::size_t kStretchSize = std::size_t{1} << 14;

// A stretch of word numbers, [From, To), that one thread walks.
class TStretch
{
public:
    TStretch(std::size_t from, std::size_t to, std::size_t index,
             const std::atomic<std::size_t>& stopFrom)
        : From(from)
        , To(to)
        , m_index(index)
        , m_stopFrom(stopFrom)
    {}

    // Throws TWalkStopped once the run no longer needs this stretch: a walk calls it every few
    // words.
    void CheckStopped() const
    {
        if (m_index >= m_stopFrom.load(std::memory_order_relaxed)) {
            throw TWalkStopped();
        }
    }

    const std::size_t From;
    const std::size_t To;

private:
    const std::size_t m_index;
    const std::atomic<std::size_t>& m_stopFrom;
};

// A stretch's walk: walks the numbers of the stretch, calling CheckStopped() every few words.
using TStretchWalk = std::function<void(const TStretch& stretch)>;

// Walks the word numbers [first, end) in stretches on the calling thread with ownWalk and on the
// walker thread with the walk that makeWalk, called there, returns (so that a test copied for
// that thread is copied there). A thread that starts late or runs slowly leaves its share to the
// other: the walker joins only if it starts before the calling thread has taken every stretch,
// and the calling thread never waits for it to be scheduled. While the calling thread waits for
// the walker's last stretch it calls check() about every millisecond.
// An error that a stretch's walk throws stops the stretches after it, while those before it go
// on; the error of the earliest stretch reaches the caller, as on one thread it would come
// first. An ESearchStopped that ownWalk or check throws ends the whole walk at once, and reaches
// the caller once the walker has left the stretch it is in. When the walker is busy with another
// run (a run started from within one), everything is walked on the calling thread.
void WalkOnTwoThreads(std::size_t first, std::size_t end, const TStretchWalk& ownWalk,
                      const std::function<TStretchWalk()>& makeWalk,
                      const std::function<void()>& check);
