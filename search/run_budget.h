#pragma once
// The time limit and the caller's cancelling of one search run, checked as its words are walked.

#include <chrono>
#include <cstdint>
#include <functional>

#include "search/run_control.h"

// Counts the words a run walks and, about every millisecond, looks at the clock and asks the
// control whether to go on. A word costs from a few nanoseconds (an ending) to many milliseconds
// (a backtracking expression), so the number of words between two looks follows what the last
// ones cost: it doubles while they came quickly, up to a stride of 256, and shrinks at once to
// what fits the interval after a slow stretch.
class TRunBudget
{
public:
    // How often the budget looks at the clock and the control.
    static constexpr TSearchClock::duration kCheckInterval = std::chrono::milliseconds(1);

    // The budget starts now, by clock.
    TRunBudget(TRunControl& control, std::chrono::seconds limit,
               std::function<TSearchClock::time_point()> clock);

    // Counts one word, or one run of words, about to be tested. Throws ESearchTimeLimit or
    // ESearchCancelled.
    void Tick()
    {
        if (--m_countdown == 0) {
            Check();
        }
    }

    // Looks at the clock and asks the control now. Throws ESearchTimeLimit ("Search stopped after
    // N s: the expression is too costly. Simplify it or search fewer dictionaries") or
    // ESearchCancelled ("Search cancelled").
    void Check();

private:
    TRunControl& m_control;
    const std::chrono::seconds m_limit;
    const std::function<TSearchClock::time_point()> m_clock;
    const TSearchClock::time_point m_start;
    TSearchClock::time_point m_lastCheck;
    std::uint32_t m_stride = 1;
    std::uint32_t m_countdown = 1;
};
