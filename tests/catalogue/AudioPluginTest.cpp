#include "CatalogueTestSupport.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/AudioPlugins/DummyAudioPlugin.h"

#include <gtest/gtest.h>
#include <vector>

using CatalogueTest::TestPlugin;

namespace
{
class VendorPlugin : public TestPlugin
{
public:
    VendorPlugin(std::wstring name, std::wstring vendor)
        : TestPlugin(std::move(name)), m_vendor(std::move(vendor))
    {
    }
    std::wstring GetVendor() const override { return m_vendor; }

private:
    std::wstring m_vendor;
};

class ChannelPlugin : public TestPlugin
{
public:
    ChannelPlugin(std::int32_t inputs, std::int32_t outputs) : m_inputs(inputs), m_outputs(outputs) {}
    std::int32_t GetNumInputs() override { return m_inputs; }
    std::int32_t GetNumOutputs() override { return m_outputs; }

private:
    std::int32_t m_inputs;
    std::int32_t m_outputs;
};

PluginState StoredState()
{
    PluginState state;
    state.data = QByteArray("\x01\x02\x00\x03", 4);
    state.isChunk = 1;
    state.name = "Lost Plugin";
    state.identifier = L"vst2:Lost Plugin:42";
    state.editorLeft = 10;
    state.editorWidth = 300;
    state.flags = PluginState::kOffset | (7u << 16);
    state.value = 99;
    state.text = "extra";
    state.values[1] = 5;
    state.parameterNames = {"Gain", "Mix"};
    return state;
}

DummyAudioPlugin Placeholder(std::int32_t channels, std::uint32_t blockSize,
                             const std::wstring& prefix = L"vst2:")
{
    return DummyAudioPlugin(L"Lost Plugin", prefix, L"Lost Plugin:42", StoredState(), channels, blockSize,
                            L"created", 1);
}
} // namespace

TEST(AudioPlugin, QuirkTestsMatchNamesAndVendorsAnywhere)
{
    EXPECT_FALSE(VendorPlugin(L"My SurroundZone 2", L"").IsNotSurroundZone());
    EXPECT_TRUE(VendorPlugin(L"Surround Zone", L"").IsNotSurroundZone());
    EXPECT_TRUE(VendorPlugin(L"ReaPlugs Comp", L"").IsReaPlugsOrFlux());
    EXPECT_TRUE(VendorPlugin(L"Verb", L"FLUX:: sound").IsReaPlugsOrFlux());
    EXPECT_FALSE(VendorPlugin(L"Verb", L"Flux").IsReaPlugsOrFlux());
    EXPECT_TRUE(VendorPlugin(L"X", L"Waves Audio").IsIZotopeOrWaves());
    EXPECT_TRUE(VendorPlugin(L"X", L"iZotope, Inc.").IsIZotopeOrWaves());
    EXPECT_FALSE(VendorPlugin(L"Waves", L"Other").IsIZotopeOrWaves());
    EXPECT_FALSE(VendorPlugin(L"RX De-noise", L"").RestartsOnPositionJump());
    EXPECT_FALSE(VendorPlugin(L"Krotos Reformer", L"").RestartsOnPositionJump());
    EXPECT_FALSE(VendorPlugin(L"360 WalkMix Creator", L"").RestartsOnPositionJump());
    EXPECT_TRUE(VendorPlugin(L"Denoise", L"").RestartsOnPositionJump());
    EXPECT_FALSE(VendorPlugin(L"Ambi ab Decode", L"").IsNotAbDecode());
    EXPECT_TRUE(VendorPlugin(L"AB Decode", L"").IsNotAbDecode());
    EXPECT_FALSE(VendorPlugin(L"The 360 WalkMix Creator", L"").IsNotWalkMixCreator());
    EXPECT_TRUE(VendorPlugin(L"360 WalkMix", L"").IsNotWalkMixCreator());
}

TEST(AudioPlugin, SpecialParameterNamesAreLookedUpByExactName)
{
    const std::set<std::wstring>* soundField = TestPlugin(L"SoundField By RODE").SpecialParameterNames();
    ASSERT_NE(soundField, nullptr);
    EXPECT_EQ(*soundField, (std::set<std::wstring>{L"InputFormat", L"OutputFormat"}));
    ASSERT_NE(TestPlugin(L"Altiverb 7").SpecialParameterNames(), nullptr);
    EXPECT_EQ(TestPlugin(L"Altiverb 7 XL").SpecialParameterNames(), nullptr);
    EXPECT_EQ(TestPlugin(L"altiverb 7").SpecialParameterNames(), nullptr);
}

TEST(AudioPlugin, DefaultsOfANewPlugin)
{
    TestPlugin plugin;
    bool enabled = true;
    std::int32_t offset = 0;
    EXPECT_TRUE(plugin.GetOffset(enabled, offset));
    EXPECT_FALSE(enabled);
    EXPECT_EQ(offset, -100);
    plugin.SetOffset(true, 12);
    EXPECT_TRUE(plugin.GetOffset(enabled, offset));
    EXPECT_TRUE(enabled);
    EXPECT_EQ(offset, 12);

    QRect rect;
    bool bypassLike = true;
    EXPECT_EQ(plugin.GetEditorRect(rect, bypassLike), 1);
    EXPECT_EQ(rect.topLeft(), QPoint(-1, -1));
}

TEST(AudioPlugin, ChannelNamesComeFromTheLayoutOfThatManyChannels)
{
    ChannelPlugin stereo(2, 6);
    EXPECT_EQ(stereo.GetInputName(0), L"In L");
    EXPECT_EQ(stereo.GetInputName(1), L"In R");
    EXPECT_EQ(stereo.GetInputName(3), L"In");
    EXPECT_EQ(stereo.GetInputName(8), L"In 9");
    EXPECT_EQ(stereo.GetOutputName(3), L"Out LFE");
    ChannelPlugin wide(10, 0);
    EXPECT_EQ(wide.GetInputName(0), L"In 1");
    EXPECT_EQ(wide.GetOutputName(0), L"Out");
}

TEST(AudioPlugin, PresetFilesLiveUnderTheKeyWithoutColons)
{
    AudioPluginHost::SetPreferencesRoot(L"/prefs/root");
    TestPlugin plugin(L"Comp", L"Comp:1234:x");
    EXPECT_EQ(AudioPluginHost::GetPresetFilePath(&plugin, L"Soft"),
              L"/prefs/root/Presets/PLUGIN/Comp_1234_x/Soft.dat");
    TestPlugin chain(L"Chain", L"Chain FX:1413890920");
    EXPECT_EQ(AudioPluginHost::GetPresetFilePath(&chain, L"A"),
              L"/prefs/root/Presets/PLUGIN/Chain FX_1413890920/A.dat");
    EXPECT_EQ(AudioPluginHost::GetPresetFilePath(nullptr, L"A"), L"");
}

TEST(DummyAudioPlugin, PassesAudioThroughWhereBuffersExist)
{
    DummyAudioPlugin placeholder = Placeholder(2, 0);
    std::vector<float> in0{1, 2, 3, 4}, in1{5, 6, 7, 8}, out0(4, 0), out1(4, -1);
    float* inputs[] = {in0.data(), in1.data()};
    float* outputs[] = {out0.data(), out1.data()};
    // No block size yet and no frame count: nothing to do.
    EXPECT_FALSE(placeholder.Process({}, inputs, outputs, 0));
    EXPECT_TRUE(placeholder.Process({}, inputs, outputs, 4));
    EXPECT_EQ(out0, in0);
    EXPECT_EQ(out1, in1);

    placeholder.SetBlockSize(2);
    std::vector<float> fresh(4, -1);
    float* missingInput[] = {in0.data(), nullptr};
    float* outputsAgain[] = {fresh.data(), out1.data()};
    std::fill(out1.begin(), out1.end(), -1.0f);
    EXPECT_TRUE(placeholder.Process({}, missingInput, outputsAgain, 0));
    EXPECT_EQ(fresh, (std::vector<float>{1, 2, -1, -1}));
    EXPECT_EQ(out1, std::vector<float>(4, -1));
    EXPECT_TRUE(Placeholder(0, 16).Process({}, nullptr, nullptr, 0));
}

TEST(DummyAudioPlugin, HandsBackTheStoredStateUnchanged)
{
    DummyAudioPlugin placeholder = Placeholder(2, 64);
    PluginState stored;
    EXPECT_TRUE(placeholder.StorePreset(stored));
    const PluginState original = StoredState();
    EXPECT_EQ(stored.data, original.data);
    EXPECT_EQ(stored.isChunk, 1u);
    EXPECT_EQ(stored.identifier, original.identifier);
    EXPECT_EQ(stored.flags, original.flags);
    EXPECT_EQ(stored.value, 99u);
    EXPECT_EQ(stored.text, "extra");
    EXPECT_EQ(stored.values[1], 5u);
    EXPECT_EQ(stored.parameterNames, original.parameterNames);

    EXPECT_EQ(placeholder.GetNumParameters(), 2);
    EXPECT_EQ(placeholder.GetParameterName(1), L"Mix");
    EXPECT_EQ(placeholder.GetParameterName(2), L"");
    EXPECT_TRUE(placeholder.SetBypassed(true));
    EXPECT_TRUE(placeholder.IsBypassed());
    EXPECT_TRUE(placeholder.StorePreset(stored));
    EXPECT_EQ(stored.flags, original.flags | PluginState::kWrapperFlag);
    EXPECT_TRUE(placeholder.SetBypassed(false));
    EXPECT_FALSE(placeholder.IsBypassed());
}

TEST(DummyAudioPlugin, NamesItsChannelsAndItselfLikeTheMissingPlugin)
{
    DummyAudioPlugin placeholder = Placeholder(6, 128);
    EXPECT_TRUE(placeholder.IsModeOne());
    EXPECT_EQ(placeholder.GetOutputName(3), L"Out LFE");

    DummyAudioPlugin inHouse = Placeholder(2, 0, L"tfd:");
    EXPECT_EQ(inHouse.GetInputName(0), L"In 1");
    EXPECT_EQ(inHouse.GetOutputName(1), L"Out 2");

    DummyAudioPlugin ai(L"Voice Isolation", L"tfd:", L"vi", {}, 1, 0, L"", 0);
    EXPECT_EQ(ai.GetName(), L"Voice Isolation");
    EXPECT_EQ(ai.GetDisplayName(), L"AI Voice Isolation");
    EXPECT_FALSE(ai.IsModeOne());
}
