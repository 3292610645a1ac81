#include "IsolationTestSupport.h"

#include "Core/BaseLib/AudioPlugins/PluginHost.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using namespace IsolationTestSupport;

namespace
{
constexpr std::uint32_t kFrames = 256;
constexpr int kBlocks = 40;
// Both processes run the same code on the same input; only the order of
// floating-point work on another thread could differ.
constexpr float kTolerance = 1e-5f;

const char* const kModules[] = {"/usr/lib/vst/ZamComp-vst.so", "/usr/lib/vst/ZamEQ2-vst.so",
                                "/usr/lib/vst3/ZaMaximX2.vst3"};

// The zam plug-ins' ids in a catalogue of copies of them, or none when not installed.
QStringList ScanZam(const QString& prefs)
{
    const QString folder = prefs + "/plugins";
    for (const char* module : kModules)
        if (QFileInfo::exists(module))
            TestSupport::CopyInto(module, folder);
    QStringList ids;
    for (const auto& [id, entry] : TestSupport::CatalogueById(Plugcat(prefs, {"scan", "--json", folder}).out))
        if (entry["state"].toString() == "enabled")
            ids << id;
    return ids;
}

// A tone with an unrelated ripple, so that compressors and equalisers have work.
void FillInput(Block& block, int index)
{
    for (std::uint32_t frame = 0; frame < block.frames; ++frame)
    {
        const float time = float(index * int(block.frames) + int(frame));
        for (std::vector<float>& channel : block.inputs)
            channel[frame] = 0.6f * std::sin(0.0576f * time) + 0.05f * std::sin(2.39f * time);
    }
}

class IsolatedRealPluginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_ids = ScanZam(m_prefs.path());
        if (m_ids.isEmpty())
            GTEST_SKIP() << "no zam plug-ins are installed";
        m_host = PluginHost::GetInstance();
        AudioPluginHost::SetCurrent(m_host);
        m_host->Initialise(m_prefs.path().toStdWString(), std::wstring(), 48000, std::int32_t(kFrames));
        m_host->Isolation().SetHostProgram(HostProgram());
        m_host->LaunchScanner(false, false);
        m_host->RefreshPluginList();
    }

    AudioPlugin* Load(const QString& id, bool isolated)
    {
#if defined(__SANITIZE_ADDRESS__)
        // What the plug-ins allocate in process and never give back is
        // theirs; the fixture tests watch over the isolation code's own.
        const __lsan::ScopedDisabler pluginLeaks;
#endif
        const std::wstring identifier = (QStringLiteral("vst:") + id).toStdWString();
        return isolated ? m_host->LoadIsolatedPlugin(identifier, kFrames, PluginPlacement())
                        : m_host->LoadPlugin(identifier, kFrames, PluginPlacement());
    }

    QTemporaryDir m_prefs;
    QStringList m_ids;
    PluginHost* m_host = nullptr;
};

TEST_F(IsolatedRealPluginTest, IsolatedOutputAndPresetsMatchInProcessOnes)
{
    for (const QString& id : m_ids)
    {
        SCOPED_TRACE(id.toStdString());
        AudioPlugin* local = Load(id, false);
        AudioPlugin* isolated = Load(id, true);
        ASSERT_NE(local, nullptr);
        ASSERT_NE(isolated, nullptr);
        ASSERT_EQ(isolated->GetFailure(), L"");
        ASSERT_EQ(isolated->GetNumOutputs(), local->GetNumOutputs());
        ASSERT_EQ(isolated->GetNumInputs(), local->GetNumInputs());
        EXPECT_EQ(isolated->GetLatency(), local->GetLatency());
        const std::uint32_t channels =
            std::uint32_t(std::max({local->GetNumInputs(), local->GetNumOutputs(), 1}));
        Block localBlock(channels, kFrames);
        Block isolatedBlock(channels, kFrames);
        float largest = 0.0f;
        for (int index = 0; index < kBlocks; ++index)
        {
            FillInput(localBlock, index);
            FillInput(isolatedBlock, index);
            local->Process(TransportRecord(), localBlock.in.data(), localBlock.out.data(), kFrames);
            ASSERT_TRUE(isolated->Process(TransportRecord(), isolatedBlock.in.data(),
                                          isolatedBlock.out.data(), kFrames));
            for (std::int32_t channel = 0; channel < local->GetNumOutputs(); ++channel)
                for (std::uint32_t frame = 0; frame < kFrames; ++frame)
                {
                    const float expected = localBlock.outputs[channel][frame];
                    ASSERT_NEAR(isolatedBlock.outputs[channel][frame], expected, kTolerance)
                        << "block " << index << " channel " << channel << " frame " << frame;
                    largest = std::max(largest, std::fabs(expected));
                }
        }
        // A plug-in that put out nothing would prove nothing.
        EXPECT_GT(largest, 0.0f);

        // Presets cross the boundary both ways.
        ASSERT_GT(isolated->GetNumParameters(), 0);
        const float moved = isolated->GetParameter(0) < 0.5f ? 1.0f : 0.0f;
        for (AudioPlugin* from : {isolated, local})
        {
            from->SetParameter(0, from == local ? 1.0f - moved : moved);
            PluginState state;
            ASSERT_TRUE(from->StorePreset(state));
            AudioPlugin* to = from == local ? isolated : local;
            ASSERT_TRUE(to->LoadPreset(state));
            for (std::int32_t index = 0; index < local->GetNumParameters(); ++index)
                EXPECT_NEAR(to->GetParameter(index), from->GetParameter(index), 1e-4f)
                    << "parameter " << index;
        }
        m_host->ReleasePlugin(isolated);
        m_host->ReleasePlugin(local);
    }
}
} // namespace
