#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/View.h"

#include <atomic>

class QWidget;

// The frame a plug-in's editor view lives in: it attaches the view to the
// native window of the parent's top-level window.
class VST3EffectEditor : public vst3::IPlugFrame
{
public:
    VST3EffectEditor(QWidget* parent, vst3::IPlugView* view);
    virtual ~VST3EffectEditor();
    VST3EffectEditor(const VST3EffectEditor&) = delete;
    VST3EffectEditor& operator=(const VST3EffectEditor&) = delete;

    vst3::tresult queryInterface(const vst3::TUID interfaceId, void** obj) override;
    vst3::uint32 addRef() override;
    vst3::uint32 release() override;
    // The parent keeps its own size.
    vst3::tresult resizeView(vst3::IPlugView*, vst3::ViewRect*) override { return vst3::kResultOk; }

    bool IsAttached() const { return m_attached; }
    QWidget* Parent() const { return m_parent; }

private:
    void Attach();

    std::atomic<vst3::uint32> m_refCount{1};
    QWidget* const m_parent;
    vst3::IPlugView* const m_view;
    vst3::IPlugViewContentScaleSupport* m_scaleSupport = nullptr;
    vst3::IParameterFinder* m_parameterFinder = nullptr;
    bool m_attaching = false;
    bool m_attached = false;
};
