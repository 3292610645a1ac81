#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/TFDPluginFactory.h"
#include "Core/BaseLib/AudioPlugins/TFDPluginRegistry.h"
#include "Interfaces/ICorvaneInterface.h"
#include "Main/VLib/VUI.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <mutex>

namespace CatalogueTest
{
// Records the engine's trace while it lives.
class LogCapture : public ICorvaneInterface
{
public:
    LogCapture();
    ~LogCapture() override;

    std::wstring GetPreferencesFolder() override { return {}; }
    QStringList GetPluginFolders() override { return folders; }
    void Log(int level, const wchar_t* format, ...) override;
    void Log(int level, const char* format, ...) override;

    bool Contains(const QString& text) const;
    int Count(const QString& text) const;

    QStringList folders;

private:
    mutable std::mutex m_lock;
    QStringList m_lines;
};

// Records the status messages the engine sends to the user while it lives.
class MessageCapture : public VUI
{
public:
    static std::shared_ptr<MessageCapture> Install();
    ~MessageCapture() override = default;

    void SetMessage(const std::wstring& text) override { messages << QString::fromStdWString(text); }
    void SetMessage(int, const std::wstring& text) override { messages << QString::fromStdWString(text); }
    void UserWarning(const std::wstring&, bool) override {}
    VRef<VProgressDisplay> CreateProgressDisplay(bool) override { return {}; }
    void RequestShow(int) override {}

    QStringList messages;
};

// A working in-house plug-in that remembers what its host did with it.
class TestPlugin : public AudioPlugin
{
public:
    explicit TestPlugin(std::wstring name = L"Test Plugin", std::wstring key = L"test")
        : m_name(std::move(name)), m_key(std::move(key))
    {
        ++live;
    }

    bool Initialise(float sampleRate, std::uint32_t blockSize, const PluginPlacement& placement) override;
    void Close() override { closed = true; }
    bool Process(const TransportRecord&, float**, float**, std::uint32_t) override { return true; }
    void Poll() override { ++polls; }
    void RequestFlush(bool) override {}
    std::wstring GetName() const override { return m_name; }
    std::wstring GetCreationText() const override { return {}; }
    std::int32_t GetNumInputs() override { return 2; }
    std::int32_t GetNumOutputs() override { return 2; }
    bool SetBlockSize(std::uint32_t frames) override;
    bool SetSampleRate(std::uint32_t rate) override;
    std::uint32_t GetBlockSize() const override { return blockSize; }
    std::wstring GetIdentifierKey() const override { return m_key; }
    std::wstring GetIdentifierPrefix() const override { return L"tfd:"; }
    bool UpdateSpeakerArrangement(std::uint32_t input, std::uint32_t output, bool) override;
    bool StartProcessing() override { return started = true; }
    void SetPresetFolder(const std::wstring& folder) override { presetFolder = folder; }
    bool SetPresetName(const std::wstring& name) override;

    float sampleRate = 0;
    std::uint32_t blockSize = 0;
    std::uint32_t arrangement = 0;
    bool started = false;
    bool closed = false;
    int polls = 0;
    std::wstring presetFolder;
    std::wstring presetName;
    // Counts live instances, so tests see what was destroyed.
    static int live;

    ~TestPlugin() override { --live; }

private:
    std::wstring m_name;
    std::wstring m_key;
};

// The host application's registry of in-house plug-ins, reduced to a map.
class TestRegistry : public TFDPluginRegistry, public TFDPluginFactory
{
public:
    void AttachHost(TFDAudioPluginHost* host) override { attached = host; }
    void ListPlugins(TFDRegisteredPlugins& list) override { list = plugins; }
    TFDPluginFactory* Find(const std::string& key) override;
    AudioPlugin* CreateInstance() override;
    void DestroyInstance(AudioPlugin* plugin) override;

    TFDRegisteredPlugins plugins;
    TFDAudioPluginHost* attached = nullptr;
    int destroyed = 0;

private:
    std::string m_lastKey;
};

QByteArray ReadFile(const QString& path);
void WriteFile(const QString& path, const QByteArray& bytes);
} // namespace CatalogueTest
