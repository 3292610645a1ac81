// VST 3 binary interface: what the host offers a plug-in through the context it passes to initialize
// and through setComponentHandler.
#pragma once

#include "Base.h"
#include "Component.h"
#include "View.h"

namespace vst3
{

class IComponentHandler : public FUnknown
{
public:
    virtual tresult beginEdit(ParamID id) = 0;
    virtual tresult performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult endEdit(ParamID id) = 0;
    virtual tresult restartComponent(int32 flags) = 0;

    static constexpr Uid iid = makeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
};

class IComponentHandler2 : public FUnknown
{
public:
    virtual tresult setDirty(TBool state) = 0;
    virtual tresult requestOpenEditor(FIDString name) = 0;
    virtual tresult startGroupEdit() = 0;
    virtual tresult finishGroupEdit() = 0;

    static constexpr Uid iid = makeUid(0xF040B4B3, 0xA36045EC, 0xABCDC045, 0xB4D5A2CC);
};

class IComponentHandlerBusActivation : public FUnknown
{
public:
    virtual tresult requestBusActivation(MediaType type, BusDirection dir, int32 index, TBool state) = 0;

    static constexpr Uid iid = makeUid(0x067D02C1, 0x5B4E274D, 0xA92D90FD, 0x6EAF7240);
};

using UCoord = int32;

class IContextMenuTarget : public FUnknown
{
public:
    virtual tresult executeMenuItem(int32 tag) = 0;

    static constexpr Uid iid = makeUid(0x3CDF2E75, 0x85D34144, 0xBF86D36B, 0xD7C4894D);
};

struct IContextMenuItem
{
    enum Flags : int32
    {
        kIsSeparator = 1 << 0,
        kIsDisabled = 1 << 1,
        kIsChecked = 1 << 2,
        kIsGroupStart = 1 << 3 | kIsDisabled,
        kIsGroupEnd = 1 << 4 | kIsSeparator,
    };

    String128 name;
    int32 tag;
    int32 flags;
};

static_assert(sizeof(IContextMenuItem) == 264, "IContextMenuItem layout");

// A menu the host would build for the plug-in; our host never supplies one.
class IContextMenu : public FUnknown
{
public:
    using Item = IContextMenuItem;

    virtual int32 getItemCount() = 0;
    virtual tresult getItem(int32 index, Item& item, IContextMenuTarget** target) = 0;
    virtual tresult addItem(const Item& item, IContextMenuTarget* target) = 0;
    virtual tresult removeItem(const Item& item, IContextMenuTarget* target) = 0;
    virtual tresult popup(UCoord x, UCoord y) = 0;

    static constexpr Uid iid = makeUid(0x2E93C863, 0x0C9C4588, 0x97DBECF5, 0xAD17817D);
};

class IComponentHandler3 : public FUnknown
{
public:
    virtual IContextMenu* createContextMenu(IPlugView* plugView, const ParamID* paramID) = 0;

    static constexpr Uid iid = makeUid(0x69F11617, 0xD26B400D, 0xA4B6B964, 0x7B6EBBAB);
};

class IHostApplication : public FUnknown
{
public:
    virtual tresult getName(String128 name) = 0;
    virtual tresult createInstance(TUID cid, TUID interfaceId, void** obj) = 0;

    static constexpr Uid iid = makeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);
};

class IUnitHandler : public FUnknown
{
public:
    virtual tresult notifyUnitSelection(UnitID unitId) = 0;
    virtual tresult notifyProgramListChange(ProgramListID listId, int32 programIndex) = 0;

    static constexpr Uid iid = makeUid(0x4B5147F8, 0x4654486B, 0x8DAB30BA, 0x163A3C56);
};

// Asked of the host context: kResultTrue when the host uses the plug-in interface of that identifier.
class IPlugInterfaceSupport : public FUnknown
{
public:
    virtual tresult isPlugInterfaceSupported(const TUID interfaceId) = 0;

    static constexpr Uid iid = makeUid(0x4FB58B9E, 0x9EAA4E0F, 0xAB361C1C, 0xCCB56FEA);
};

} // namespace vst3
