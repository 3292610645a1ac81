#include "Main/AudioEngineController/Effects/VST3/VST3PluginState.h"

#include "Core/BaseLib/Debug.h"
#include "Main/AudioEngineController/Effects/VST3/VST3MemoryStream.h"
#include "Main/AudioEngineController/Effects/VST3/VST3StateStream.h"

#include <QDataStream>

VST3PluginState::VST3PluginState(VST3Guard& guard, vst3::IComponent& component,
                                 vst3::IEditController* controller)
    : m_guard(guard), m_component(component), m_controller(controller)
{
}

bool VST3PluginState::Read(QByteArray& component, QByteArray& controller)
{
    if (VST3StateStream::Read(
            m_guard, "getState", [this](vst3::IBStream* stream) { return m_component.getState(stream); },
            component) != vst3::kResultOk)
        return false;
    // A controller may keep nothing of its own and say so.
    return !m_controller ||
           VST3StateStream::Read(
               m_guard, "getState", [this](vst3::IBStream* stream) { return m_controller->getState(stream); },
               controller) != vst3::kOutOfMemory;
}

// What the plug-in answers is only traced: some refuse the very state they
// wrote when it holds nothing, and a host cannot do better than hand the
// state over.
void VST3PluginState::Write(const QByteArray& component, const QByteArray& controller)
{
    if (!component.isEmpty())
    {
        const vst3::tresult result =
            VST3StateStream::Write(m_guard, "setState", component,
                                   [this](vst3::IBStream* stream) { return m_component.setState(stream); });
        if (result != vst3::kResultOk)
            DebugOut("VST3Plugin::LoadPreset - the component answered %d", int(result));
    }
    if (!m_controller)
        return;
    if (!component.isEmpty())
        VST3StateStream::Write(m_guard, "setComponentState", component,
                               [this](vst3::IBStream* stream)
                               { return m_controller->setComponentState(stream); });
    if (!controller.isEmpty())
        VST3StateStream::Write(m_guard, "setState", controller,
                               [this](vst3::IBStream* stream) { return m_controller->setState(stream); });
}

void VST3PluginState::Synchronise()
{
    QByteArray state;
    VST3StateStream::Read(
        m_guard, "getState", [this](vst3::IBStream* stream) { return m_component.getState(stream); }, state);
    if (m_controller)
        VST3StateStream::Write(m_guard, "setComponentState", state,
                               [this](vst3::IBStream* stream)
                               { return m_controller->setComponentState(stream); });
}

bool VST3PluginState::Pack(const QByteArray& component, const QByteArray& controller, QByteArray& data)
{
    if (vst3::int64(component.size()) + controller.size() > VST3MemoryStream::kMaxBytes)
        return false;
    data.clear();
    QDataStream out(&data, QIODevice::WriteOnly);
    out << component << controller;
    return true;
}

bool VST3PluginState::Unpack(const QByteArray& data, QByteArray& component, QByteArray& controller)
{
    QDataStream in(data);
    in >> component >> controller;
    return in.status() == QDataStream::Ok;
}
