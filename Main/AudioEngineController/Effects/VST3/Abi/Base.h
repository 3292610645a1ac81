// VST 3 binary interface: basic types, result codes, identifiers and the two root interfaces.
//
// These headers are our own declarations of the published VST 3 interfaces, laid out as plug-ins built
// for x86_64 Linux expect them: plain calling convention, natural alignment, Itanium C++ virtual tables
// (one pointer per virtual method in declaration order, no virtual destructor in any interface), and
// the non-COM layout of identifiers. They describe the binary contract only and include nothing of ours.
#pragma once

#include <cstdint>
#include <cstring>

namespace vst3
{

using int8 = std::int8_t;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;

using tresult = int32;
using TBool = uint8;

using char8 = char;
using char16 = char16_t;
using TChar = char16;
using String128 = TChar[128];
using CString = const char8*;
// Class identifiers travel through createInstance as plain byte pointers.
using FIDString = const char8*;

// Sixteen raw bytes; compared byte for byte, never interpreted as text.
using TUID = char[16];

// Scalar identifiers shared by the controller, processor and host interfaces.
using ParamID = uint32;
using ParamValue = double;
using UnitID = int32;
using ProgramListID = int32;

constexpr ParamID kNoParamId = 0xFFFFFFFF;
constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;

// Result codes as Linux plug-ins are built (the COM-compatible values belong to Windows builds only).
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = kResultOk;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;

// A class or interface identifier as it sits in memory. Identifiers are published as four 32-bit
// words; on Linux each word is stored most significant byte first, in order. The conversion to a
// byte pointer lets an identifier be passed wherever the interfaces take a TUID or an FIDString.
struct Uid
{
    char bytes[16];

    constexpr operator const char*() const { return bytes; }
};

constexpr Uid makeUid(uint32 w1, uint32 w2, uint32 w3, uint32 w4)
{
    Uid uid{};
    const uint32 words[4] = {w1, w2, w3, w4};
    for (int w = 0; w < 4; ++w)
    {
        for (int b = 0; b < 4; ++b)
        {
            uid.bytes[w * 4 + b] = static_cast<char>((words[w] >> (24 - 8 * b)) & 0xFFu);
        }
    }
    return uid;
}

inline bool uidEqual(const char* a, const char* b)
{
    return a != nullptr && b != nullptr && std::memcmp(a, b, sizeof(TUID)) == 0;
}

static_assert(sizeof(Uid) == sizeof(TUID), "an identifier is exactly sixteen bytes");

class FUnknown
{
public:
    virtual tresult queryInterface(const TUID interfaceId, void** obj) = 0;
    virtual uint32 addRef() = 0;
    virtual uint32 release() = 0;

    static constexpr Uid iid = makeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
};

static_assert(FUnknown::iid.bytes[8] == static_cast<char>(0xC0) && FUnknown::iid.bytes[15] == 0x46,
              "identifier words are stored big-endian");

class IPluginBase : public FUnknown
{
public:
    virtual tresult initialize(FUnknown* context) = 0;
    virtual tresult terminate() = 0;

    static constexpr Uid iid = makeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
};

} // namespace vst3
