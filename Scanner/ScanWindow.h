#pragma once

#include <QString>
#include <cstdint>

// What the scan's progress reports reach: pending values that the window
// applies on its own thread. The window implements it, so that the reports
// need not know the window.
class ScanWindow
{
public:
    static constexpr std::uint32_t kNoValue = 0xFFFFFFFF;

    // Called from the worker thread.
    virtual void SetPendingText(const QString& text) = 0;
    virtual void SetPendingValue(std::uint32_t value) = 0;
    virtual void SetPendingRange(std::int32_t minimum, std::int32_t maximum) = 0;
    virtual void RequestShow() = 0;
    virtual bool IsClosed() const = 0;

protected:
    ~ScanWindow() = default;
};
