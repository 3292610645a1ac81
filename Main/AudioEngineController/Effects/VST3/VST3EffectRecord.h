#pragma once

#include <cstdint>
#include <string>

// One VST 3 audio class as the scan recorded it: an entry of the VST 3
// configuration file and what a wrapper is instantiated from.
struct VST3EffectRecord
{
    // UTF-8, as the scan found the module (a bundle folder or a plain file).
    std::string path;
    // The module's last-modified time, "yyyy-MM-dd hh:mm".
    std::string fileTime;
    std::wstring name;
    // The class identifier text; the record's key.
    std::wstring id;
    std::string vendor;
    // The class's own sub-category text, such as "Fx|Dynamics|Mono".
    std::string categories;
    // Filled by a running wrapper; never stored.
    std::int32_t latency = -1;
    // Channel counts; -1 when not known.
    std::int32_t inputs = -1;
    std::int32_t outputs = -1;
    bool enabled = true;
    // Runtime form.
    std::uint32_t categoryMask = 0;
    bool working = true;
    bool favourite = false;
};
