#include "Main/AudioEngineController/Effects/VST3/VST3EffectEditor.h"

#include <QWidget>

VST3EffectEditor::VST3EffectEditor(QWidget* parent, vst3::IPlugView* view)
    : m_parent(parent), m_view(VST3Ptr<vst3::IPlugView>::Share(m_guard, view))
{
    Attach();
}

// On this platform a view embeds itself in an X11 window given by its id.
void VST3EffectEditor::Attach()
{
    m_guard.Call("setFrame", vst3::kResultFalse, [this] { return m_view->setFrame(this); });
    const WId handle = m_parent ? m_parent->window()->winId() : 0;
    if (!handle ||
        m_guard.Call("isPlatformTypeSupported", vst3::kResultFalse,
                     [this] {
                         return m_view->isPlatformTypeSupported(vst3::kPlatformTypeX11EmbedWindowID);
                     }) != vst3::kResultOk)
        return;
    m_attaching = true;
    m_attached = m_guard.Call("attached", vst3::kResultFalse,
                              [&] {
                                  return m_view->attached(reinterpret_cast<void*>(handle),
                                                          vst3::kPlatformTypeX11EmbedWindowID);
                              }) == vst3::kResultOk;
    if (m_attached)
    {
        m_scaleSupport = m_view.Query<vst3::IPlugViewContentScaleSupport>(m_guard);
        if (m_scaleSupport)
            m_guard.Call("setContentScaleFactor", vst3::kResultFalse,
                         [this] { return m_scaleSupport->setContentScaleFactor(1.0f); });
        m_parameterFinder = m_view.Query<vst3::IParameterFinder>(m_guard);
    }
    m_attaching = false;
}

VST3EffectEditor::~VST3EffectEditor()
{
    m_scaleSupport.Reset();
    m_parameterFinder.Reset();
    if (m_attached)
        m_guard.Call("removed", vst3::kResultFalse, [this] { return m_view->removed(); });
    m_guard.Call("setFrame", vst3::kResultFalse, [this] { return m_view->setFrame(nullptr); });
}
