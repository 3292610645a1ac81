// VST 3 binary interface: the plug-in's editor view and the frame the host gives it.
#pragma once

#include "Base.h"

namespace vst3
{

using ScaleFactor = float;

// Window system names a view may support, passed to isPlatformTypeSupported and attached.
constexpr FIDString kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
constexpr FIDString kPlatformTypeHWND = "HWND";
constexpr FIDString kPlatformTypeNSView = "NSView";

// View names passed to createView and requestOpenEditor.
namespace ViewType
{
constexpr FIDString kEditor = "editor";
}

struct ViewRect
{
    int32 left;
    int32 top;
    int32 right;
    int32 bottom;
};

static_assert(sizeof(ViewRect) == 16, "ViewRect layout");

class IPlugFrame;

class IPlugView : public FUnknown
{
public:
    virtual tresult isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult attached(void* parent, FIDString type) = 0;
    virtual tresult removed() = 0;
    virtual tresult onWheel(float distance) = 0;
    virtual tresult onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult getSize(ViewRect* size) = 0;
    virtual tresult onSize(ViewRect* newSize) = 0;
    virtual tresult onFocus(TBool state) = 0;
    virtual tresult setFrame(IPlugFrame* frame) = 0;
    virtual tresult canResize() = 0;
    virtual tresult checkSizeConstraint(ViewRect* rect) = 0;

    static constexpr Uid iid = makeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
};

class IPlugFrame : public FUnknown
{
public:
    virtual tresult resizeView(IPlugView* view, ViewRect* newSize) = 0;

    static constexpr Uid iid = makeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
};

class IPlugViewContentScaleSupport : public FUnknown
{
public:
    virtual tresult setContentScaleFactor(ScaleFactor factor) = 0;

    static constexpr Uid iid = makeUid(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);
};

// Asked of a view: which parameter sits under a point of the editor.
class IParameterFinder : public FUnknown
{
public:
    virtual tresult findParameter(int32 xPos, int32 yPos, ParamID& resultTag) = 0;

    static constexpr Uid iid = makeUid(0x0F618302, 0x215D4587, 0xA512073C, 0x77B9D383);
};

} // namespace vst3
