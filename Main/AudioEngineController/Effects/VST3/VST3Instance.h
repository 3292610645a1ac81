#pragma once

#include "Main/AudioEngineController/Effects/VST3/VST3Component.h"
#include "Main/AudioEngineController/Effects/VST3/VST3EditController.h"

// Every interface the wrapper holds of one plug-in instance.
struct VST3Instance : VST3Component, VST3EditController
{
};
