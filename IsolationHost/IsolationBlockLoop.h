#pragma once

#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlock.h"

#include <atomic>
#include <thread>

class AudioPlugin;
class AudioPluginHost;

// The isolated process's processing thread: sleeps until the host asks for
// a block, runs the plug-in on the shared channels and says it is done.
class IsolationBlockLoop
{
public:
    // The format host keeps the time information its plug-ins ask for.
    IsolationBlockLoop(const IsolationBlock& block, AudioPlugin& plugin, AudioPluginHost& host);
    ~IsolationBlockLoop();
    IsolationBlockLoop(const IsolationBlockLoop&) = delete;
    IsolationBlockLoop& operator=(const IsolationBlockLoop&) = delete;

private:
    void Run();
    void ProcessBlock();

    const IsolationBlock& m_block;
    AudioPlugin& m_plugin;
    AudioPluginHost& m_host;
    std::atomic<bool> m_stop{false};
    float* m_inputs[IsolationBlock::kMaxChannels] = {};
    float* m_outputs[IsolationBlock::kMaxChannels] = {};
    std::thread m_thread;
};
