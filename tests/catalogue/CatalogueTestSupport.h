#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"
#include "Core/BaseLib/AudioPlugins/TFDPluginFactory.h"
#include "Core/BaseLib/AudioPlugins/TFDPluginRegistry.h"
#include "Main/VLib/VUI.h"
#include "support/RecordingUI.h"
#include "support/TestSupport.h"

#include <QStringList>
#include <memory>

class QMenu;

namespace CatalogueTest
{
using TestSupport::ReadFile;
using TestSupport::ScopedUI;
using TestSupport::WaitUntil;
using TestSupport::WriteFile;

// Category bits as the catalogue holds them at run time.
constexpr std::uint32_t kDelay = 0x00000080, kEq = 0x00000800, kInstrument = 0x00004000, kReverb = 0x00800000;

// A working in-house plug-in that remembers what its host did with it.
class TestPlugin : public AudioPlugin
{
public:
    explicit TestPlugin(std::wstring name = L"Test Plugin", std::wstring key = L"test")
        : m_name(std::move(name)), m_key(std::move(key))
    {
        ++live;
    }
    ~TestPlugin() override { --live; }

    bool Initialise(float, std::uint32_t frames, const PluginPlacement&) override
    {
        return SetBlockSize(frames);
    }
    bool Process(const TransportRecord&, float**, float**, std::uint32_t) override { return true; }
    void RequestFlush(bool) override {}
    std::wstring GetName() const override { return m_name; }
    std::wstring GetVendor() const override { return {}; }
    std::wstring GetCreationText() const override { return {}; }
    std::int32_t GetNumInputs() override { return 2; }
    std::int32_t GetNumOutputs() override { return 2; }
    bool SetBlockSize(std::uint32_t frames) override { return (blockSize = frames, true); }
    std::uint32_t GetBlockSize() const override { return blockSize; }
    std::wstring GetIdentifierKey() const override { return m_key; }
    std::wstring GetIdentifierPrefix() const override { return L"tfd:"; }
    bool UpdateSpeakerArrangement(std::uint32_t, std::uint32_t, bool) override { return true; }
    bool StartProcessing() override { return true; }
    void SetPresetFolder(const std::wstring& folder) override { presetFolder = folder; }
    bool SetPresetName(const std::wstring& name) override { return (presetName = name, true); }

    std::uint32_t blockSize = 0;
    std::wstring presetFolder;
    std::wstring presetName;
    static int live; // instances, so that tests see what was destroyed

private:
    std::wstring m_name;
    std::wstring m_key;
};

// The host application's registry of in-house plug-ins, reduced to a map.
class TestRegistry : public TFDPluginRegistry, public TFDPluginFactory
{
public:
    void AttachHost(TFDAudioPluginHost*) override {}
    void ListPlugins(TFDRegisteredPlugins& list) override { list = plugins; }
    TFDPluginFactory* Find(const std::string& key) override;
    AudioPlugin* CreateInstance() override;
    void DestroyInstance(AudioPlugin* plugin) override;

    TFDRegisteredPlugins plugins;
    int destroyed = 0;

private:
    std::string m_lastKey;
};
// One line per action or submenu, indented by depth, as a user reads the menu.
QStringList DescribeMenu(const QMenu& menu, const QString& indent = QString());
} // namespace CatalogueTest
