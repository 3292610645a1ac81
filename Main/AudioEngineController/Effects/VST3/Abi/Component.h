// VST 3 binary interface: the processing component and its buses.
#pragma once

#include "Base.h"
#include "Stream.h"

#include <cstddef>

namespace vst3
{

using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;

enum MediaTypes : MediaType
{
    kAudio = 0,
    kEvent = 1,
    kNumMediaTypes = 2,
};

enum BusDirections : BusDirection
{
    kInput = 0,
    kOutput = 1,
};

enum BusTypes : BusType
{
    kMain = 0,
    kAux = 1,
};

enum IoModes : IoMode
{
    kSimple = 0,
    kAdvanced = 1,
    kOfflineProcessing = 2,
};

struct BusInfo
{
    enum BusFlags : uint32
    {
        kDefaultActive = 1u << 0,
        kIsControlVoltage = 1u << 1,
    };

    MediaType mediaType;
    BusDirection direction;
    int32 channelCount;
    String128 name;
    BusType busType;
    uint32 flags;
};

static_assert(sizeof(BusInfo) == 276, "BusInfo layout");
static_assert(offsetof(BusInfo, busType) == 268, "BusInfo field offsets");

struct RoutingInfo
{
    MediaType mediaType;
    int32 busIndex;
    int32 channel;
};

static_assert(sizeof(RoutingInfo) == 12, "RoutingInfo layout");

class IComponent : public IPluginBase
{
public:
    virtual tresult getControllerClassId(TUID classId) = 0;
    virtual tresult setIoMode(IoMode mode) = 0;
    virtual int32 getBusCount(MediaType type, BusDirection dir) = 0;
    virtual tresult getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
    virtual tresult getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
    virtual tresult activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
    virtual tresult setActive(TBool state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;

    static constexpr Uid iid = makeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
};

} // namespace vst3
