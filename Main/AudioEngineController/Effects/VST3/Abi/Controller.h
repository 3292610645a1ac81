// VST 3 binary interface: the edit controller, its parameters, units and programs, MIDI mapping and
// the channel information the host passes to it.
#pragma once

#include "Base.h"
#include "Component.h"
#include "Message.h"
#include "Stream.h"
#include "View.h"

#include <cstddef>

namespace vst3
{

class IComponentHandler;

struct ParameterInfo
{
    enum ParameterFlags : int32
    {
        kNoFlags = 0,
        kCanAutomate = 1 << 0,
        kIsReadOnly = 1 << 1,
        kIsWrapAround = 1 << 2,
        kIsList = 1 << 3,
        kIsHidden = 1 << 4,
        kIsProgramChange = 1 << 15,
        kIsBypass = 1 << 16,
    };

    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32 stepCount;
    ParamValue defaultNormalizedValue;
    UnitID unitId;
    int32 flags;
};

static_assert(sizeof(ParameterInfo) == 792, "ParameterInfo layout");
static_assert(offsetof(ParameterInfo, defaultNormalizedValue) == 776, "ParameterInfo field offsets");

// IComponentHandler::restartComponent flags
enum RestartFlags : int32
{
    kReloadComponent = 1 << 0,
    kIoChanged = 1 << 1,
    kParamValuesChanged = 1 << 2,
    kLatencyChanged = 1 << 3,
    kParamTitlesChanged = 1 << 4,
    kMidiCCAssignmentChanged = 1 << 5,
    kNoteExpressionChanged = 1 << 6,
    kIoTitlesChanged = 1 << 7,
    kPrefetchableSupportChanged = 1 << 8,
    kRoutingInfoChanged = 1 << 9,
    kKeyswitchChanged = 1 << 10,
    kParamIDMappingChanged = 1 << 11,
};

using KnobMode = int32;

enum KnobModes : KnobMode
{
    kCircularMode = 0,
    kRelativCircularMode = 1,
    kLinearMode = 2,
};

class IEditController : public IPluginBase
{
public:
    virtual tresult setComponentState(IBStream* state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;
    virtual int32 getParameterCount() = 0;
    virtual tresult getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
    virtual tresult getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
    virtual tresult getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) = 0;
    virtual ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue getParamNormalized(ParamID id) = 0;
    virtual tresult setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* createView(FIDString name) = 0;

    static constexpr Uid iid = makeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
};

class IEditController2 : public FUnknown
{
public:
    virtual tresult setKnobMode(KnobMode mode) = 0;
    virtual tresult openHelp(TBool onlyCheck) = 0;
    virtual tresult openAboutBox(TBool onlyCheck) = 0;

    static constexpr Uid iid = makeUid(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);
};

using CtrlNumber = int16;

// Controller numbers past the 128 MIDI continuous controllers.
enum ControllerNumbers : CtrlNumber
{
    kAfterTouch = 128,
    kPitchBend = 129,
};

class IMidiMapping : public FUnknown
{
public:
    virtual tresult getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                CtrlNumber midiControllerNumber, ParamID& id) = 0;

    static constexpr Uid iid = makeUid(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);
};

struct UnitInfo
{
    UnitID id;
    UnitID parentUnitId;
    String128 name;
    ProgramListID programListId;
};

struct ProgramListInfo
{
    ProgramListID id;
    String128 name;
    int32 programCount;
};

static_assert(sizeof(UnitInfo) == 268, "UnitInfo layout");
static_assert(sizeof(ProgramListInfo) == 264, "ProgramListInfo layout");

class IUnitInfo : public FUnknown
{
public:
    virtual int32 getUnitCount() = 0;
    virtual tresult getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;
    virtual int32 getProgramListCount() = 0;
    virtual tresult getProgramListInfo(int32 listIndex, ProgramListInfo& info) = 0;
    virtual tresult getProgramName(ProgramListID listId, int32 programIndex, String128 name) = 0;
    virtual tresult getProgramInfo(ProgramListID listId, int32 programIndex, CString attributeId,
                                   String128 attributeValue) = 0;
    virtual tresult hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
    virtual tresult getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                        String128 name) = 0;
    virtual UnitID getSelectedUnit() = 0;
    virtual tresult selectUnit(UnitID unitId) = 0;
    virtual tresult getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                 UnitID& unitId) = 0;
    virtual tresult setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) = 0;

    static constexpr Uid iid = makeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
};

class IUnitData : public FUnknown
{
public:
    virtual tresult unitDataSupported(UnitID unitId) = 0;
    virtual tresult getUnitData(UnitID unitId, IBStream* data) = 0;
    virtual tresult setUnitData(UnitID unitId, IBStream* data) = 0;

    static constexpr Uid iid = makeUid(0x6C389611, 0xD391455D, 0xB870B833, 0x94A0EFDD);
};

class IProgramListData : public FUnknown
{
public:
    virtual tresult programDataSupported(ProgramListID listId) = 0;
    virtual tresult getProgramData(ProgramListID listId, int32 programIndex, IBStream* data) = 0;
    virtual tresult setProgramData(ProgramListID listId, int32 programIndex, IBStream* data) = 0;

    static constexpr Uid iid = makeUid(0x8683B01F, 0x7B354F70, 0xA2651DEC, 0x353AF4FF);
};

// Attribute names of the channel information handed to IInfoListener::setChannelContextInfos.
namespace ChannelContext
{
constexpr const char* kChannelUIDKey = "channel uid";
constexpr const char* kChannelUIDLengthKey = "channel uid length";
constexpr const char* kChannelNameKey = "channel name";
constexpr const char* kChannelNameLengthKey = "channel name length";
constexpr const char* kChannelColorKey = "channel color";
constexpr const char* kChannelIndexKey = "channel index";
} // namespace ChannelContext

class IInfoListener : public FUnknown
{
public:
    virtual tresult setChannelContextInfos(IAttributeList* list) = 0;

    static constexpr Uid iid = makeUid(0x0F194781, 0x8D984ADA, 0xBBA0C1EF, 0xC011D8D0);
};

} // namespace vst3
