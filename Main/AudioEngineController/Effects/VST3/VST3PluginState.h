#pragma once

#include "Main/AudioEngineController/Effects/VST3/Abi/Component.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"

#include <QByteArray>

class VST3Guard;

// A plug-in's state as a preset holds it: the component's state, then the
// controller's, one after the other. A controller may keep nothing of its own.
class VST3PluginState
{
public:
    // controller may be null.
    VST3PluginState(VST3Guard& guard, vst3::IComponent& component, vst3::IEditController* controller);

    // False for a state the plug-in refused or grew past what a stream holds.
    bool Read(QByteArray& component, QByteArray& controller);
    // The controller follows the component's state, then takes its own. A
    // part that holds nothing is not handed over.
    void Write(const QByteArray& component, const QByteArray& controller);
    // The controller learns the component's state, as after connecting.
    void Synchronise();

    // False for a state larger than a preset may hold.
    static bool Pack(const QByteArray& component, const QByteArray& controller, QByteArray& data);
    // False for data that holds no two states.
    static bool Unpack(const QByteArray& data, QByteArray& component, QByteArray& controller);

private:
    VST3Guard& m_guard;
    vst3::IComponent& m_component;
    vst3::IEditController* const m_controller;
};
