#pragma once

#include <cstdint>
#include <string>

// Gives the texts of an integer parameter that an engine object registers
// with the studio model (a browser filter, for one).
class IntParameterHandler
{
public:
    virtual ~IntParameterHandler() = default;

    // Empty for a value or parameter number the handler does not serve.
    virtual std::wstring IntParameterText(std::int32_t parameter, std::int32_t value) const = 0;
};
