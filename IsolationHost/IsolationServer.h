#pragma once

#include "Core/BaseLib/AudioPlugins/Isolation/IsolationBlock.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationChannel.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationProtocol.h"
#include "IsolationHost/IsolationLoader.h"
#include "IsolationHost/IsolationNoticeSender.h"

#include <memory>

class AudioPlugin;
class IsolationBlockLoop;
class QWidget;
class QWindow;

// The isolated process's main thread: answers the host's requests one by
// one with the real wrapper's answers, and keeps the plug-in's editor and
// housekeeping going in between.
class IsolationServer
{
public:
    IsolationServer(Platform::LocalSocket& socket, void* sharedBlock);
    ~IsolationServer();

    // Until the host asks it to end or goes away.
    void Run();

private:
    void Answer(IsolationRequest request, IsolationMessage& arguments, IsolationMessage& reply);
    bool AnswerParameter(IsolationRequest request, IsolationMessage arguments, IsolationMessage& reply);
    bool AnswerSetting(IsolationRequest request, IsolationMessage& arguments, IsolationMessage& reply);
    void Create(IsolationMessage& arguments, IsolationMessage& reply);
    void Describe(IsolationMessage& reply);
    void StorePreset(IsolationMessage& reply);
    bool LoadPreset(IsolationMessage& arguments);
    void ParameterTable(IsolationMessage& reply);
    void OpenEditor(IsolationMessage& arguments, IsolationMessage& reply);
    void CloseEditor();
    void Idle();

    IsolationChannel m_channel;
    IsolationBlock m_block;
    IsolationNoticeSender m_notices;
    IsolationLoader m_loader;
    AudioPlugin* m_plugin = nullptr;
    std::unique_ptr<IsolationBlockLoop> m_loop;
    QWindow* m_hostWindow = nullptr;
    std::unique_ptr<QWidget> m_editor;
};
