#include "Main/AudioEngineController/Effects/VST3/VST3EffectEditor.h"

#include "Core/BaseLib/Debug.h"
#include "Platform/FaultGuard.h"

#include <QWidget>
#include <stdexcept>

namespace
{
template <class Interface> Interface* Query(vst3::IPlugView* view)
{
    void* obj = nullptr;
    return Platform::GuardedCall([&] { return view->queryInterface(Interface::iid, &obj); }) ==
                   vst3::kResultOk
               ? static_cast<Interface*>(obj)
               : nullptr;
}

void Release(vst3::FUnknown* object)
{
    if (object)
        Platform::GuardedCall([object] { return object->release(); });
}
} // namespace

VST3EffectEditor::VST3EffectEditor(QWidget* parent, vst3::IPlugView* view) : m_parent(parent), m_view(view)
{
    m_view->addRef();
    try
    {
        Attach();
    }
    catch (const std::exception& e)
    {
        DebugOut("VST3EffectEditor - %s", e.what());
    }
}

// On this platform a view embeds itself in an X11 window given by its id.
void VST3EffectEditor::Attach()
{
    Platform::GuardedCall([this] { return m_view->setFrame(this); });
    const WId handle = m_parent ? m_parent->window()->winId() : 0;
    if (!handle || Platform::GuardedCall(
                       [this] {
                           return m_view->isPlatformTypeSupported(vst3::kPlatformTypeX11EmbedWindowID);
                       }) != vst3::kResultOk)
        return;
    m_attaching = true;
    m_attached =
        Platform::GuardedCall(
            [&] {
                return m_view->attached(reinterpret_cast<void*>(handle), vst3::kPlatformTypeX11EmbedWindowID);
            }) == vst3::kResultOk;
    if (m_attached)
    {
        if ((m_scaleSupport = Query<vst3::IPlugViewContentScaleSupport>(m_view)))
            Platform::GuardedCall([this] { return m_scaleSupport->setContentScaleFactor(1.0f); });
        m_parameterFinder = Query<vst3::IParameterFinder>(m_view);
    }
    m_attaching = false;
}

VST3EffectEditor::~VST3EffectEditor()
{
    try
    {
        Release(m_scaleSupport);
        Release(m_parameterFinder);
        if (m_attached)
            Platform::GuardedCall([this] { return m_view->removed(); });
        Platform::GuardedCall([this] { return m_view->setFrame(nullptr); });
        Release(m_view);
    }
    catch (const std::exception& e)
    {
        DebugOut("~VST3EffectEditor - %s", e.what());
    }
}

vst3::tresult VST3EffectEditor::queryInterface(const vst3::TUID interfaceId, void** obj)
{
    if (vst3::uidEqual(interfaceId, vst3::FUnknown::iid) ||
        vst3::uidEqual(interfaceId, vst3::IPlugFrame::iid))
    {
        addRef();
        *obj = static_cast<vst3::IPlugFrame*>(this);
        return vst3::kResultOk;
    }
    *obj = nullptr;
    return vst3::kNoInterface;
}

vst3::uint32 VST3EffectEditor::addRef()
{
    return ++m_refCount;
}

vst3::uint32 VST3EffectEditor::release()
{
    const vst3::uint32 left = --m_refCount;
    if (left == 0)
        delete this;
    return left;
}
