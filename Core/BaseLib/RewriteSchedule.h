#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

// When a scan rewrites a result file. Rewriting after every find makes a
// first scan grow with the square of the catalogue, so a find is written at
// once only while rewrites cost little: after a rewrite that took t, the next
// waits until kWriteShare times t has passed, which keeps rewriting to a
// small share of the scan however large the list, and the file is always
// written when the scan ends. A process that dies in between loses only the
// finds since the last rewrite, which the next run probes again. Those are
// finds of the run before that lay ahead of the plug-in that ended it, so
// after a restart every find before that plug-in's place is written at once:
// no plug-in is probed a third time.
class RewriteSchedule
{
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    static constexpr int kWriteShare = 10;

    explicit RewriteSchedule(std::function<void()> rewrite, Now now = Clock::now);

    // Finds of candidates before writeThroughBefore (in probing order) are
    // written at once.
    void Start(std::size_t writeThroughBefore);
    // The list changed while probing the candidate; rewrites when it is due.
    void Changed(std::size_t candidate);
    // Rewrites when changes are waiting.
    void Flush();
    void Rewrite();
    bool Pending() const { return m_pending; }

private:
    std::function<void()> m_rewrite;
    Now m_now;
    Clock::duration m_lastWriteTook{};
    Clock::time_point m_lastWrite;
    std::size_t m_writeThroughBefore = 0;
    bool m_pending = false;
};
