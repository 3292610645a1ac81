#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/View.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Guard.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Object.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

class QWidget;

// The frame a plug-in's editor view lives in: it attaches the view to the
// native window of the parent's top-level window.
class VST3EffectEditor : public VST3Object<vst3::IPlugFrame>
{
public:
    VST3EffectEditor(QWidget* parent, vst3::IPlugView* view);
    virtual ~VST3EffectEditor();
    VST3EffectEditor(const VST3EffectEditor&) = delete;
    VST3EffectEditor& operator=(const VST3EffectEditor&) = delete;

    // The parent keeps its own size.
    vst3::tresult resizeView(vst3::IPlugView*, vst3::ViewRect*) override { return vst3::kResultOk; }

    bool IsAttached() const { return m_attached; }
    QWidget* Parent() const { return m_parent; }

private:
    void Attach();

    QWidget* const m_parent;
    VST3Guard m_guard;
    // Holds a reference of its own: the wrapper may let go of the view first.
    VST3Ptr<vst3::IPlugView> m_view;
    VST3Ptr<vst3::IPlugViewContentScaleSupport> m_scaleSupport;
    VST3Ptr<vst3::IParameterFinder> m_parameterFinder;
    bool m_attaching = false;
    bool m_attached = false;
};
