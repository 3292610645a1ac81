#include "Main/AudioEngineController/Effects/VST3/VST3EditorView.h"

#include <QSize>

bool VST3EditorView::Exists(VST3Guard& guard, vst3::IEditController* controller)
{
    if (!controller)
        return false;
    using View = vst3::IPlugView*;
    if (!m_view)
        m_view.Reset(guard.Call("createView", View(nullptr),
                                [&] { return controller->createView(vst3::ViewType::kEditor); }));
    if (!m_view)
        m_view.Reset(
            guard.Call("createView", View(nullptr), [&] { return controller->createView(nullptr); }));
    if (!m_view)
        m_view = VST3Ptr<vst3::IPlugView>::QueryFrom(guard, controller);
    return bool(m_view);
}

bool VST3EditorView::CanResize(VST3Guard& guard)
{
    return m_view && guard.Call("canResize", vst3::kResultFalse, [this] { return m_view->canResize(); }) ==
                         vst3::kResultTrue;
}

bool VST3EditorView::Open(QWidget* parent)
{
    m_frame.Reset();
    m_frame.Reset(new VST3EffectEditor(parent, m_view.Get()));
    return m_frame->IsAttached();
}

void VST3EditorView::GetSize(VST3Guard& guard, QSize& size)
{
    vst3::ViewRect rect{};
    if (m_view &&
        guard.Call("getSize", vst3::kResultFalse, [&] { return m_view->getSize(&rect); }) == vst3::kResultOk)
        size = QSize(VST3Guard::Capped("editor width", vst3::int64(rect.right) - rect.left, 1 << 16),
                     VST3Guard::Capped("editor height", vst3::int64(rect.bottom) - rect.top, 1 << 16));
}

void VST3EditorView::Close()
{
    m_frame.Reset();
    m_view.Reset();
}
