#include "Main/AudioEngineController/Effects/VST/VSTDispatcher.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/SDebug.h"
#include "Platform/FaultGuard.h"

namespace
{
constexpr const wchar_t* kSource = L"Main\\AudioEngineController\\Effects\\VST\\VSTPlugin";
// The lines the dispatch preconditions have always been reported with.
constexpr unsigned kDispatchLine = 1951;
constexpr unsigned kDispatchPointerLine = 1967;
constexpr unsigned kDispatchValueLine = 1990;
constexpr unsigned kDispatchFloatLine = 2013;
} // namespace

VstIntPtr VSTDispatcher::Send(Shape shape, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt)
{
    if (!Present(shape))
        return 0;
    if (g_vstDispatchDebug.Level & 1)
        Trace(shape, opcode, value, ptr, opt);
    AEffect* effect = m_effect;
    try
    {
        return Platform::GuardedCall([&]
                                     { return effect->dispatcher(effect, opcode, index, value, ptr, opt); });
    }
    catch (...)
    {
        // Whatever a plug-in throws, the wrapper answers 0 and stays usable.
        return 0;
    }
}

VstIntPtr VSTDispatcher::Ask(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr)
{
    AEffect* effect = m_effect;
    if (!effect)
        return 0;
    return Platform::GuardedCall([&] { return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f); });
}

bool VSTDispatcher::Present(Shape shape) const
{
    if (m_effect)
        return true;
    switch (shape)
    {
    case Shape::Plain:
        ReportAssertion(L"0 != _plugin", kSource, kDispatchLine);
        break;
    case Shape::Pointer:
        ReportAssertion(L"0 != _plugin", kSource, kDispatchPointerLine);
        break;
    case Shape::Value:
        ReportAssertion(L"0 != _plugin", kSource, kDispatchValueLine);
        break;
    case Shape::Float:
        ReportAssertion(L"0 != _plugin", kSource, kDispatchFloatLine);
        break;
    case Shape::Indexed:
        break;
    }
    return false;
}

void VSTDispatcher::Trace(Shape shape, VstInt32 opcode, VstIntPtr value, void* ptr, float opt)
{
    switch (shape)
    {
    case Shape::Pointer:
        g_vstDispatchDebug.Debug("VST Plugin Dispatch(%d,%p);", opcode, ptr);
        break;
    case Shape::Value:
        g_vstDispatchDebug.Debug("VST Plugin Dispatch(%d,%d);", opcode, int(value));
        break;
    case Shape::Float:
        g_vstDispatchDebug.Debug("VST Plugin Dispatch(%d,%f);", opcode, double(opt));
        break;
    default:
        break;
    }
}
