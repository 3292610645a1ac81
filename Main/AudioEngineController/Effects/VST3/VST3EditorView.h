#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/View.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EffectEditor.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Ptr.h"

class QSize;
class QWidget;

// The plug-in's editor view, asked for once, and the frame it is shown in.
class VST3EditorView
{
public:
    // The controller's editor view, whichever way it offers one; controller
    // may be null.
    bool Exists(VST3Guard& guard, vst3::IEditController* controller);
    bool CanResize(VST3Guard& guard);
    // A new frame in parent; true when the view attached itself to it. The
    // view has one frame at a time: the old one lets go of it first.
    bool Open(QWidget* parent);
    QWidget* Window() const { return m_frame ? m_frame->Parent() : nullptr; }
    // Left as it is when the view does not say.
    void GetSize(VST3Guard& guard, QSize& size);
    void Close();

private:
    VST3Ptr<vst3::IPlugView> m_view;
    VST3Ptr<VST3EffectEditor> m_frame;
};
