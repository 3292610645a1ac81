#include "Main/AudioEngineController/Effects/VST/HostCallback.h"
#include "Main/AudioEngineController/Effects/VST/VSTPlugin.h"
#include "Main/StudioModel/StudioModel.h"
#include "Platform/FaultGuard.h"
#include "Vst2TestBase.h"
#include "fixtures/vst2/HostingFixtureState.h"
#ifdef PLUGSWEEP_COUNTS_ALLOCATIONS
#include "support/AllocationCounter.h"
#endif

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <dlfcn.h>

namespace
{
constexpr std::uint32_t kFrames = 256;
const std::vector<int> kRestart{effStopProcess, effMainsChanged, effMainsChanged, effStartProcess};

// The editor window's side of the wrapper's size requests.
class EditorWindow : public QWidget
{
    Q_OBJECT
public slots:
    void ResizeEditorWindow(int width, int height) { resize(width, height); }
};

// A signal that never repeats within a test, so that a delay shows.
float Signal(std::int64_t frame, int channel)
{
    return float((frame * 7 + channel * 13) % 1000) / 1000.0f;
}

class VSTPluginHostingTest : public Vst2TestBase
{
protected:
    void TearDown() override
    {
        Unload();
        Vst2TestBase::TearDown();
    }
    void Unload()
    {
        m_plugin.reset();
        if (m_library)
            dlclose(std::exchange(m_library, nullptr));
    }

    // Loads and initialises a hosting fixture for the channel format, with
    // its record cleared; refused is how many arrangements it turns down.
    VSTPlugin& Host(const QString& file, std::uint32_t format = 2, int refused = 0)
    {
        Unload();
        StartHost();
        const QString path = Copy("hosting/" + file, Folder("plugins"));
        m_library = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        auto fixture = reinterpret_cast<HostingFixtureState* (*)()>(dlsym(m_library, "HostingFixture"));
        m_state = fixture();
        std::memset(m_state, 0, sizeof *m_state);
        m_state->refusedArrangements = refused;
        VstEffectRecord description;
        description.path = path.toStdWString();
        m_plugin = std::make_unique<VSTPlugin>();
        EXPECT_TRUE(m_plugin->Load(description, HostCallback, false));
        PluginPlacement placement;
        placement.channelFormat = format;
        EXPECT_TRUE(m_plugin->Initialise(48000.0f, kFrames, placement));
        m_channels = m_plugin->GetNumInputs();
        return *m_plugin;
    }

    // One block of the signal, continuing the transport unless it jumps.
    void Run(bool jump = false, bool rolling = true)
    {
        if (jump)
            m_frame += 48000;
        m_in.assign(size_t(m_channels), std::vector<float>(kFrames));
        if (m_out.size() != size_t(m_channels))
            m_out.assign(size_t(m_channels), std::vector<float>(kFrames));
        std::vector<float*> in;
        std::vector<float*> out;
        for (int channel = 0; channel < m_channels; ++channel)
        {
            for (std::uint32_t i = 0; i < kFrames; ++i)
                m_in[size_t(channel)][i] = Signal(m_frame + i, channel);
            in.push_back(m_in[size_t(channel)].data());
            out.push_back(m_out[size_t(channel)].data());
        }
        TransportRecord transport;
        transport.rolling = rolling;
        transport.position = m_frame * (StudioModel::kTimeBase / 48000);
        EXPECT_TRUE(m_plugin->Process(transport, in.data(), out.data(), kFrames));
        m_frame += kFrames;
    }

    // The block's input on channel 0, latency samples late.
    float Delayed(std::uint32_t i, int latency) const { return Signal(m_frame - kFrames + i - latency, 0); }

    std::vector<int> OpcodesSince(int first) const
    {
        return std::vector<int>(m_state->opcodes + first, m_state->opcodes + m_state->opcodeCount);
    }

    std::unique_ptr<VSTPlugin> m_plugin;
    void* m_library = nullptr;
    HostingFixtureState* m_state = nullptr;
    int m_channels = 0;
    std::int64_t m_frame = 0;
    std::vector<std::vector<float>> m_in;
    std::vector<std::vector<float>> m_out;
};
} // namespace

// The plug-in delays by 32 and halves; bypassed, the host's copy is delayed alike, fading over a block.
TEST_F(VSTPluginHostingTest, BypassWithoutAPluginBypassFadesToTheDelayedInputAndBack)
{
    VSTPlugin& plugin = Host("HostingDelay.so");
    Run();
    Run();
    EXPECT_FLOAT_EQ(m_out[0][100], 0.5f * Delayed(100, 32));

    const int before = m_state->opcodeCount;
    ASSERT_TRUE(plugin.SetBypassed(true));
    EXPECT_EQ(OpcodesSince(before), std::vector<int>{effStopProcess});
    Run();
    for (std::uint32_t i : {0u, 64u, 128u, 255u})
    {
        const float toDry = float(i) / kFrames;
        EXPECT_NEAR(m_out[0][i], Delayed(i, 32) * (0.5f * (1 - toDry) + toDry), 1e-6) << i;
    }
    const int calls = m_state->processCalls;
    Run();
    EXPECT_EQ(m_state->processCalls, calls) << "a bypassed plug-in is not run";
    for (std::uint32_t i = 0; i < kFrames; ++i)
        ASSERT_FLOAT_EQ(m_out[1][i], Signal(m_frame - kFrames + i - 32, 1)) << i;

    ASSERT_TRUE(plugin.SetBypassed(false));
    EXPECT_EQ(m_state->opcodes[m_state->opcodeCount - 1], effStartProcess);
    Run();
    Run();
    EXPECT_FLOAT_EQ(m_out[0][10], 0.5f * Delayed(10, 32));
}

TEST_F(VSTPluginHostingTest, PluginBypassAndChunkPresetsGoThroughThePlugin)
{
    VSTPlugin& plugin = Host("HostingChunks.so");
    PluginState state;
    plugin.SetParameter(0, 0.25f);
    ASSERT_TRUE(plugin.SetBypassed(true));
    ASSERT_TRUE(plugin.StorePreset(state));
    EXPECT_EQ(state.isChunk, 1u);
    EXPECT_EQ(state.identifier, L"vst2:HostingChunks:1802");
    Run();
    Run();
    EXPECT_FLOAT_EQ(m_out[0][7], m_in[0][7]) << "the plug-in bypasses itself";
    EXPECT_EQ(std::count(m_state->opcodes, m_state->opcodes + m_state->opcodeCount, int(effStopProcess)), 0);

    plugin.SetParameter(0, 0.75f);
    state.flags = PluginState::kOffset | (100u << 16);
    ASSERT_TRUE(plugin.LoadPreset(state));
    EXPECT_FLOAT_EQ(plugin.GetParameter(0), 0.25f) << "restored from the chunk";
    bool offset = false;
    std::int32_t value = 0;
    plugin.GetOffset(offset, value);
    EXPECT_TRUE(offset);
    EXPECT_EQ(value, -100);
    EXPECT_FALSE(plugin.IsBypassed());

    state.isChunk = 7;
    EXPECT_FALSE(plugin.LoadPreset(state));
}

TEST_F(VSTPluginHostingTest, ParametersAreClassifiedByTheirTextsAndMidiWaitsForActivation)
{
    VSTPlugin& plugin = Host("HostingDelay.so");
    std::vector<AudioPluginParameter> table;
    plugin.GetParameterTable(table);
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[0].kind, AudioPluginParameter::Continuous);
    EXPECT_EQ(table[0].name + L" " + table[0].currentDisplay + table[0].label, L"Gain 50%");
    EXPECT_EQ(table[1].kind, AudioPluginParameter::List);
    EXPECT_EQ(table[1].valueTexts, (std::vector<std::wstring>{L"Soft", L"Medium", L"Hard"}));
    EXPECT_EQ(table[2].kind, AudioPluginParameter::Switch) << "by its properties";
    // No name and no text: numbered, and shown with two decimals.
    EXPECT_EQ(table[3].name + L" " + table[3].currentDisplay, L"Param4 0.25");
    EXPECT_EQ(table[4].kind, AudioPluginParameter::Switch) << "by its two texts";
    EXPECT_EQ(table[4].name, L"Toggle") << "without the trailing spaces";
    EXPECT_FLOAT_EQ(plugin.GetParameter(0), 0.5f) << "classifying keeps the values";
    EXPECT_FLOAT_EQ(plugin.StepsToValue(1, 1), 0.5f);

    PluginState state;
    ASSERT_TRUE(plugin.StorePreset(state));
    ASSERT_EQ(state.isChunk, 0u);
    state.data.resize(4);
    EXPECT_FALSE(plugin.LoadPreset(state));

    // MIDI reaches the plug-in only while active, at its frame.
    EXPECT_TRUE(plugin.WantsMidi());
    const MidiMessage note{17, {0x90, 60, 100}};
    plugin.QueueMidi(note);
    Run();
    EXPECT_EQ(m_state->notesReceived, 0) << "not active yet";
    plugin.SetMidiActive(true);
    plugin.QueueMidi(note);
    Run();
    Run();
    EXPECT_EQ(m_state->notesReceived, 1);
    EXPECT_EQ(m_state->lastNoteDelta, 17);
}

// The engine's channels are L C R; refused, the host offers VST 2.4's L R C and feeds the inputs so.
TEST_F(VSTPluginHostingTest, RefusedArrangementsFallBackToTheWrapperLayoutsAndMapChannels)
{
    VSTPlugin& plugin = Host("HostingSurround.so", 3, 1);
    ASSERT_EQ(m_state->arrangementCount, 2);
    EXPECT_EQ(m_state->arrangementTypes[1], kSpeakerArr30Cine);
    Run();
    Run();
    EXPECT_EQ(m_state->firstInputSample[1], m_in[2][0]);
    EXPECT_EQ(m_state->firstInputSample[2], m_in[1][0]);
    EXPECT_EQ(m_out[2][5], 0.5f * m_in[2][5]) << "outputs go back in the engine's order";

    m_state->arrangementCount = 0;
    m_state->refusedArrangements = -1;
    EXPECT_FALSE(plugin.UpdateSpeakerArrangement(3, 3, true));
    EXPECT_EQ(m_state->arrangementCount, 3) << "the engine's, the wrapper's, then the plug-in's own count";
}

TEST_F(VSTPluginHostingTest, PositionJumpsRestartOrFlushThePlugin)
{
    Host("HostingLong.so");
    Run();
    Run();
    int before = m_state->opcodeCount;
    Run(true, false);
    EXPECT_TRUE(OpcodesSince(before).empty()) << "stopped transport";
    Run(true);
    EXPECT_EQ(OpcodesSince(before), kRestart);

    // A flush after a jump restarts most plug-ins...
    Host("HostingDelay.so");
    Run();
    before = m_state->opcodeCount;
    m_plugin->RequestFlush(true);
    Run();
    EXPECT_EQ(OpcodesSince(before), kRestart);

    // ...and plays a latency of silence through the ones that must not be.
    Host("HostingOld.so");
    Run();
    Run();
    EXPECT_FLOAT_EQ(m_out[0][40], 0.5f * Delayed(40, 16)) << "the old call's outputs are cleared first";
    const int silent = m_state->silentFrames;
    m_plugin->RequestFlush(false);
    Run(true);
    EXPECT_EQ(m_state->silentFrames - silent, 16);
}

TEST_F(VSTPluginHostingTest, TheEditorDrawsInTheWidgetsWindowAtTheSizeItAsksFor)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "vst2_tests";
    char* argv[] = {name};
    QApplication application(argc, argv);
    VSTPlugin& plugin = Host("HostingDelay.so");
    EditorWindow window;
    ASSERT_EQ(plugin.OpenEditor(&window), 1);
    EXPECT_EQ(m_state->editorWindow, VstIntPtr(window.winId()));
    EXPECT_EQ(window.size(), QSize(400, 300));
    QRect rect;
    bool bypassLike = true;
    // Sizes and rectangles the plug-in makes up change nothing.
    EXPECT_EQ(plugin.OnSizeWindow(0, 1 << 30), 0);
    Platform::InstallFaultTranslator();
    m_state->lyingRect = 1;
    EXPECT_EQ(plugin.GetEditorRect(rect, bypassLike), 0);
    QSize size = window.size();
    plugin.GetEditorSize(size);
    EXPECT_EQ(size, QSize(400, 300));
    m_state->lyingRect = 0;
    const int before = m_state->opcodeCount;
    plugin.Idle();
    EXPECT_EQ(OpcodesSince(before), std::vector<int>{effEditIdle});

    EXPECT_TRUE(plugin.CloseEditor());
    EXPECT_EQ(m_state->editorWindow, 0);
    EXPECT_EQ(plugin.OnSizeWindow(10, 10), 0) << "no editor to resize";
}

#ifdef PLUGSWEEP_COUNTS_ALLOCATIONS
// Bypass switches, crossfades and MIDI included.
TEST_F(VSTPluginHostingTest, ProcessingAllocatesNothingAfterTheFirstBlock)
{
    VSTPlugin& plugin = Host("HostingDelay.so");
    plugin.SetMidiActive(true);
    Run();
    std::vector<float> in(kFrames);
    std::vector<float> out(kFrames);
    float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {out.data(), out.data()};
    const MidiMessage note{0, {0x90, 60, 100}};
    TransportRecord transport;
    const std::size_t before = AllocationCounter::ThreadAllocations();
    for (int block = 0; block < 8; ++block)
    {
        plugin.QueueMidi(note);
        if (block % 3 == 0)
            plugin.SetBypassed(!plugin.IsBypassed());
        plugin.Process(transport, inputs, outputs, kFrames);
        plugin.Idle();
    }
    EXPECT_EQ(AllocationCounter::ThreadAllocations(), before);
}
#endif

#include "VSTPluginHostingTest.moc"
