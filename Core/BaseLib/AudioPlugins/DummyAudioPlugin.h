#pragma once

#include "Core/BaseLib/AudioPlugins/AudioPlugin.h"

// Stands in for a plug-in that cannot be created, so that a project keeps the
// slot, its routing and the missing plug-in's stored state: audio passes
// through unchanged and the state is handed back exactly as it came.
class DummyAudioPlugin : public AudioPlugin
{
public:
    DummyAudioPlugin(std::wstring displayName, std::wstring prefix, std::wstring key,
                     const PluginState& state, std::int32_t channels, std::uint32_t blockSize,
                     std::wstring creationText, std::uint32_t mode);

    bool Process(const TransportRecord& transport, float** inputs, float** outputs,
                 std::uint32_t frames) override;
    void RequestFlush(bool) override {}
    std::wstring GetName() const override { return m_displayName; }
    std::wstring GetDisplayName() const override;
    std::wstring GetCreationText() const override { return m_creationText; }
    std::int32_t GetNumInputs() override { return m_channels; }
    std::int32_t GetNumOutputs() override { return m_channels; }
    bool SetBlockSize(std::uint32_t frames) override;
    std::uint32_t GetBlockSize() const override { return m_blockSize; }
    std::wstring GetIdentifierKey() const override { return m_key; }
    std::wstring GetIdentifierPrefix() const override { return m_prefix; }
    bool IsModeOne() const override { return m_mode == 1; }
    // The missing plug-in's own bypass travels in the stored state's flags.
    bool SetBypassed(bool on) override;
    bool IsBypassed() const override;
    std::int32_t GetNumParameters() override;
    std::wstring GetParameterName(std::int32_t index) override;
    bool StorePreset(PluginState& state) override;
    std::wstring GetInputName(std::int32_t index) override;
    std::wstring GetOutputName(std::int32_t index) override;

private:
    bool IsInHouse() const { return m_prefix == L"tfd:"; }

    std::wstring m_prefix;
    std::wstring m_displayName;
    std::wstring m_key;
    std::wstring m_creationText;
    PluginState m_state;
    std::uint32_t m_mode;
    std::int32_t m_channels;
    std::uint32_t m_blockSize;
};
