// The time limit and the caller's cancelling of one search run.

#include "search/run_budget.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

constexpr std::uint32_t kMaxStride = 256;

}  // namespace

TRunBudget::TRunBudget(TRunControl& control, std::chrono::seconds limit,
                       std::function<TSearchClock::time_point()> clock)
    : m_control(control)
    , m_limit(limit)
    , m_clock(clock ? std::move(clock) : [] { return TSearchClock::now(); })
    , m_start(m_clock())
    , m_lastCheck(m_start)
{}

void TRunBudget::Check()
{
    const TSearchClock::time_point now = m_clock();
    const TSearchClock::duration elapsed = now - m_start;
    if (m_limit.count() > 0 && elapsed >= m_limit) {
        throw ESearchTimeLimit("Search stopped after " + std::to_string(m_limit.count()) +
                               " s: the expression is too costly. Simplify it or search fewer "
                               "dictionaries");
    }
    if (!m_control.KeepGoing(elapsed)) {
        throw ESearchCancelled("Search cancelled");
    }
    const TSearchClock::duration interval = now - m_lastCheck;
    m_lastCheck = now;
    if (interval < kCheckInterval / 2) {
        m_stride = std::min(m_stride * 2, kMaxStride);
    } else if (interval > kCheckInterval * 2) {
        m_stride = static_cast<std::uint32_t>(
            std::max<TSearchClock::rep>(1, m_stride * kCheckInterval.count() / interval.count()));
    }
    m_countdown = m_stride;
}
