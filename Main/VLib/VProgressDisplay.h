#pragma once

#include "Main/VLib/VObject.h"

#include <cstdint>
#include <string>

// A progress display the engine drives while it works: a text, a value and a
// range, and whether the user cancelled.
class VProgressDisplay : public VObject
{
public:
    const char* ClassName() const override { return "VProgressDisplay"; }

    virtual void SetTextAndValue(const std::wstring& text, std::int32_t value) = 0;
    virtual std::int32_t Complete() = 0;
    virtual void SetValue(std::int32_t value) = 0;
    virtual void Advance(std::int32_t delta) = 0;
    virtual void Start(std::int32_t maximum, const std::wstring& text) = 0;
    virtual void SetText(const std::wstring& text) = 0;
    virtual bool IsCancelled() = 0;
};
