// The walk of a run's words on two threads, with a walker thread kept for the program's life.

#include "search/two_thread_walk.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "search/run_control.h"

namespace {

constexpr auto kCheckInterval = std::chrono::milliseconds(1);

// The thread that walks the other share of two-thread runs, one job at a time. A run offers a
// job, and once it has walked what it could itself, either withdraws the job, when the thread has
// not taken it yet, or waits for it to end. So no job outlives its run, and a run never waits for
// the thread to be scheduled. Made at the first two-thread run and joined as the program ends.
class TWalkerThread
{
public:
    static TWalkerThread& Instance()
    {
        static TWalkerThread walker;
        return walker;
    }

    ~TWalkerThread()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    TWalkerThread(const TWalkerThread&) = delete;
    TWalkerThread& operator=(const TWalkerThread&) = delete;

    // Offers job to the thread. Returns false, job dropped, when the thread has a job already.
    bool Offer(std::function<void()> job)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_state != TState::Idle) {
                return false;
            }
            m_job = std::move(job);
            m_state = TState::Offered;
        }
        m_changed.notify_all();
        return true;
    }

    // Withdraws the offered job unless the thread has taken it. Returns whether it was taken.
    bool WithdrawUnlessTaken()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_state == TState::Offered) {
            m_job = nullptr;
            m_state = TState::Idle;
            return false;
        }
        return m_state == TState::Running;
    }

    // Waits for the taken job to end, at most timeout. Returns whether it has ended.
    template <typename TDuration>
    bool WaitForJob(TDuration timeout)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [this] { return m_state == TState::Idle; });
    }

private:
    enum class TState {
        Idle,
        Offered,
        Running,
    };

    TWalkerThread()
        : m_thread([this] { Serve(); })
    {}

    void Serve()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_quit || m_state == TState::Offered; });
            if (m_quit) {
                return;
            }
            m_state = TState::Running;
            const std::function<void()> job = std::move(m_job);
            m_job = nullptr;
            lock.unlock();
            job();
            lock.lock();
            m_state = TState::Idle;
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<void()> m_job;
    TState m_state = TState::Idle;
    bool m_quit = false;
    std::thread m_thread;
};

}  // namespace

void WalkOnTwoThreads(std::size_t first, std::size_t end, const TStretchWalk& ownWalk,
                      const std::function<TStretchWalk()>& makeWalk,
                      const std::function<void()>& check)
{
    if (first >= end) {
        return;
    }
    const std::size_t base = first / kStretchSize * kStretchSize;
    const std::size_t stretches = (end - base + kStretchSize - 1) / kStretchSize;
    std::atomic<std::size_t> nextStretch{0};
    // Stretches from this one on stop, or are never started.
    std::atomic<std::size_t> stopFrom{stretches};
    std::mutex errorMutex;
    std::size_t errorStretch = stretches;
    std::exception_ptr error;

    // Walks stretches until none is left. The calling thread's ESearchStopped passes on: it ends
    // the run, not a stretch.
    const auto walk = [&](const TStretchWalk& walkStretch, bool calling) {
        for (std::size_t stretch = nextStretch++; stretch < stopFrom.load();
             stretch = nextStretch++) {
            const std::size_t from = std::max(first, base + stretch * kStretchSize);
            const TStretch piece(from, std::min(end, base + (stretch + 1) * kStretchSize), stretch,
                                 stopFrom);
            // Only the earliest stretch's error is kept, and the stretches after it stop.
            const auto keepError = [&] {
                const std::lock_guard<std::mutex> lock(errorMutex);
                if (stretch < errorStretch) {
                    errorStretch = stretch;
                    error = std::current_exception();
                    stopFrom.store(std::min(stopFrom.load(), stretch + 1));
                }
            };
            try {
                walkStretch(piece);
            } catch (const TWalkStopped&) {
                return;
            } catch (const ESearchStopped&) {
                if (calling) {
                    throw;
                }
                keepError();
                return;
            } catch (...) {
                keepError();
                return;
            }
        }
    };

    TWalkerThread& walker = TWalkerThread::Instance();
    const bool offered = walker.Offer([&] {
        TStretchWalk walkStretch;
        try {
            walkStretch = makeWalk();
        } catch (...) {
            // The calling thread walks every stretch without this one's help.
            return;
        }
        walk(walkStretch, false);
    });
    try {
        walk(ownWalk, true);
        if (offered && walker.WithdrawUnlessTaken()) {
            while (!walker.WaitForJob(kCheckInterval)) {
                check();
            }
        }
    } catch (...) {
        stopFrom.store(0);
        if (offered && walker.WithdrawUnlessTaken()) {
            while (!walker.WaitForJob(kCheckInterval)) {
            }
        }
        throw;
    }
    if (error) {
        std::rethrow_exception(error);
    }
}
