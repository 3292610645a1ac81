#pragma once

#include "Main/AudioEngineController/Effects/VST3/VST3Component.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EditController.h"

namespace vst3
{
class IPluginFactory;
}

class VST3Guard;

// Every interface the wrapper holds of one plug-in instance, and how they are
// obtained and given back.
struct VST3Instance : VST3Component, VST3EditController
{
    // The class's component, created through the factory's third interface
    // when it has one, in advanced mode; true when it initialised.
    bool CreateComponent(VST3Guard& guard, vst3::IPluginFactory& factory, const vst3::TUID classId,
                         vst3::FUnknown* context);
    // A single-component plug-in is its own controller and sets
    // singleComponent; otherwise the component names the controller's class.
    // True when there is an initialised controller.
    bool CreateController(VST3Guard& guard, vst3::IPluginFactory& factory, vst3::FUnknown* context,
                          bool& singleComponent);
    // The optional interfaces, each asked of the component and then of the
    // controller.
    void AskInterfaces(VST3Guard& guard);
    // Only a pair that both offer a point can talk; true when connected.
    bool ConnectPoints(VST3Guard& guard);
    // Disconnects the points, controller side first, and gives back every
    // interface AskInterfaces and ConnectPoints took.
    void ReleaseAsked(VST3Guard& guard);

private:
    template <class Interface> VST3Ptr<Interface> Ask(VST3Guard& guard);
};
