#include "CatalogueTestSupport.h"
#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/AudioPlugins/DummyAudioPlugin.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
PluginState StoredState()
{
    PluginState state;
    state.data = QByteArray("\x01\x02\x00\x03", 4);
    state.isChunk = 1;
    state.identifier = L"vst2:Lost Plugin:42";
    state.flags = PluginState::kOffset | (7u << 16);
    state.text = "extra";
    state.parameterNames = {"Gain", "Mix"};
    return state;
}

DummyAudioPlugin Placeholder(std::int32_t channels, std::uint32_t blockSize)
{
    return DummyAudioPlugin(L"Lost Plugin", L"vst2:", L"Lost Plugin:42", StoredState(), channels, blockSize,
                            L"created", 1);
}
} // namespace

TEST(AudioPlugin, PresetFilesLiveUnderTheKeyWithoutColons)
{
    AudioPluginHost::SetPreferencesRoot(L"/prefs/root");
    CatalogueTest::TestPlugin plugin(L"Comp", L"Comp:1234:x");
    EXPECT_EQ(AudioPluginHost::GetPresetFilePath(&plugin, L"Soft"),
              L"/prefs/root/Presets/PLUGIN/Comp_1234_x/Soft.dat");
    EXPECT_EQ(AudioPluginHost::GetPresetFilePath(nullptr, L"A"), L"");
}

// A placeholder passes its channels through, the block size long when no
// frame count is given; a missing buffer leaves its channel alone.
TEST(DummyAudioPlugin, PassesAudioThroughWhereBuffersExist)
{
    DummyAudioPlugin placeholder = Placeholder(2, 0);
    std::vector<float> in0{1, 2, 3, 4}, in1{5, 6, 7, 8}, out0(4, -1), out1(4, -1);
    float* inputs[] = {in0.data(), nullptr};
    float* outputs[] = {out0.data(), out1.data()};
    EXPECT_FALSE(placeholder.Process({}, inputs, outputs, 0)) << "no block size yet and no frame count";
    placeholder.SetBlockSize(2);
    EXPECT_TRUE(placeholder.Process({}, inputs, outputs, 0));
    EXPECT_EQ(out0, (std::vector<float>{1, 2, -1, -1}));
    EXPECT_EQ(out1, std::vector<float>(4, -1));
    inputs[1] = in1.data();
    EXPECT_TRUE(placeholder.Process({}, inputs, outputs, 4));
    EXPECT_EQ(out0, in0);
    EXPECT_EQ(out1, in1);
    EXPECT_TRUE(Placeholder(0, 16).Process({}, nullptr, nullptr, 0));
}

TEST(DummyAudioPlugin, HandsBackTheStoredStateMarkedWhenBypassed)
{
    DummyAudioPlugin placeholder = Placeholder(6, 64);
    PluginState stored;
    EXPECT_TRUE(placeholder.SetBypassed(true));
    EXPECT_TRUE(placeholder.StorePreset(stored));
    const PluginState original = StoredState();
    EXPECT_EQ(stored.data, original.data);
    EXPECT_EQ(stored.identifier, original.identifier);
    EXPECT_EQ(stored.flags, original.flags | PluginState::kWrapperFlag);
    EXPECT_EQ(stored.parameterNames, original.parameterNames);
}
