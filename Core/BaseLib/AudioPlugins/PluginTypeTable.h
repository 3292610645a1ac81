#pragma once

#include <array>

// The three plug-in lists the menus show, in menu order.
struct PluginTypeTable
{
    struct Row
    {
        int index;
        const char* typeKey;
        const char* menuLabel;
    };
    static constexpr int kTfd = 0;
    static constexpr int kVst = 1;
    static constexpr int kChain = 2;
    static constexpr std::array<Row, 3> kRows = {{
        {kTfd, "tfd", "Quillmore FX"},
        {kVst, "vst", "VST"},
        {kChain, "chain", "Chain"},
    }};
};
