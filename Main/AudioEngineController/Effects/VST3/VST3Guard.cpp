#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"

#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Refusal.h"

std::int32_t VST3Guard::Bounded(const char* what, std::int64_t count, std::int32_t limit)
{
    if (count < 0)
        return 0;
    if (count > limit)
        throw VST3Refusal("it reports " + std::to_string(count) + " " + what + ", more than the " +
                          std::to_string(limit) + " we accept");
    return std::int32_t(count);
}

std::int32_t VST3Guard::Capped(const char* what, std::int64_t value, std::int32_t limit)
{
    if (value >= 0 && value <= limit)
        return std::int32_t(value);
    const std::int32_t capped = value < 0 ? 0 : limit;
    DebugOut("VST3 - %s of %lld taken as %d", what, static_cast<long long>(value), int(capped));
    return capped;
}

std::string VST3Guard::FirstFault() const
{
    std::lock_guard<std::mutex> lock(m_faultLock);
    return m_firstFault;
}

void VST3Guard::Note(const char* what, const char* reason)
{
    DebugOut("VST3 - %s: %s", what, reason);
    std::lock_guard<std::mutex> lock(m_faultLock);
    if (!m_faulted.exchange(true))
        m_firstFault = std::string(what) + ": " + reason;
}
