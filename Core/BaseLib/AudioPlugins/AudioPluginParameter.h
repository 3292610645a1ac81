#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One plug-in parameter as the engine shows and automates it, whatever the
// plug-in's format. Values cross the interface as steps: a continuous control
// has 10000 of them, a switch 1, a list one less than its values.
struct AudioPluginParameter
{
    enum Kind : std::uint32_t
    {
        Continuous = 0,
        Switch = 1,
        List = 2,
        // Never set by the wrapper; shown but not automated.
        Fixed = 3,
    };

    std::wstring name;
    std::wstring label;
    std::uint32_t stepCount = 0;
    std::uint32_t currentStep = 0;
    std::wstring currentDisplay;
    std::wstring displayAtMin;
    std::wstring displayAtMax;
    std::uint32_t defaultStep = 0;
    std::uint32_t kind = Continuous;
    std::vector<std::wstring> valueTexts;
    // The format's own identifier of the parameter (VST 3), else its index.
    std::uint32_t identifier = 0;
};
