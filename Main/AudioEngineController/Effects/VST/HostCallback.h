#pragma once

#include "Main/AudioEngineController/Effects/VST/Abi/Effect.h"

// The audioMaster callback that every VST 2 plug-in in the process is given:
// the plug-in's only way to ask the host anything. May run on any thread,
// including the plug-in's own, and takes no lock.
VstIntPtr HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt);
