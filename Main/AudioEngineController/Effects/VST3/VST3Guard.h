#pragma once

#include "Platform/FaultGuard.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>

// The one way into plug-in code. Every call runs under the fault guard; a
// fault or any exception the plug-in raises is traced with what was asked and
// answered with the caller's fallback, so that no caller needs a handler of
// its own. A guard remembers that its plug-in faulted, and the first fault,
// so that its owner stops calling a plug-in whose state is no longer known.
//
// Counts pass through here too, bounded where they enter: negative counts
// are 0, a count past its limit is refused with a VST3Refusal naming it.
class VST3Guard
{
public:
    template <class Result, class F> Result Call(const char* what, Result fallback, F&& f)
    {
        try
        {
            return Result(Platform::GuardedCall(f));
        }
        catch (const std::exception& e)
        {
            Note(what, e.what());
        }
        catch (...)
        {
            Note(what, "unknown exception");
        }
        return fallback;
    }

    // For calls that answer nothing; false when the call faulted.
    template <class F> bool Run(const char* what, F&& f)
    {
        return Call(what, false,
                    [&]
                    {
                        f();
                        return true;
                    });
    }

    // A count the plug-in answers, 0 when it faults or is negative; refused
    // past limit.
    template <class F> std::int32_t Count(const char* what, std::int32_t limit, F&& f)
    {
        return Bounded(what, Call(what, std::int64_t(0), f), limit);
    }

    static std::int32_t Bounded(const char* what, std::int64_t count, std::int32_t limit);
    // A value the plug-in answers, kept within 0..limit; traced when it was not.
    static std::int32_t Capped(const char* what, std::int64_t value, std::int32_t limit);

    bool Faulted() const { return m_faulted; }
    std::string FirstFault() const;

private:
    void Note(const char* what, const char* reason);

    std::atomic<bool> m_faulted{false};
    mutable std::mutex m_faultLock;
    std::string m_firstFault;
};
