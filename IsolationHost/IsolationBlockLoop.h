#pragma once

#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlock.h"

#include <atomic>
#include <thread>

class AudioPlugin;

// The isolated process's processing thread: sleeps until the host asks for
// a block, runs the plug-in on the shared channels and says it is done.
class IsolationBlockLoop
{
public:
    IsolationBlockLoop(const IsolationBlock& block, AudioPlugin& plugin);
    ~IsolationBlockLoop();
    IsolationBlockLoop(const IsolationBlockLoop&) = delete;
    IsolationBlockLoop& operator=(const IsolationBlockLoop&) = delete;

private:
    void Run();
    void ProcessBlock();

    const IsolationBlock& m_block;
    AudioPlugin& m_plugin;
    std::atomic<bool> m_stop{false};
    float* m_inputs[IsolationBlock::kMaxChannels] = {};
    float* m_outputs[IsolationBlock::kMaxChannels] = {};
    std::thread m_thread;
};
