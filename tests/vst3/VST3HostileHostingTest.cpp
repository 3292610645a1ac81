// What plugcat cannot see of a misbehaving plug-in: the editor's frame, the idle step and MIDI input.
#include "Core/BaseLib/AudioPlugins/MidiMessage.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"
#include "vst3/Vst3TestSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Vst3TestSupport;

namespace
{
// Classes of the hostile module.
const std::wstring kEchoLoop = L"54534F4800000C00494C452100000000";
const std::wstring kBogusMidi = L"54534F4800000D00494C452100000000";
const std::wstring kEditor = L"54534F4800000E00494C452100000000";

class VST3HostileHostingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_host->LoadKnownPlugins();
        m_host->LaunchScanner(true, true);
    }

    VST3Plugin* Load(const std::wstring& id) { return Vst3TestSupport::Load(*m_host, id); }

    FixtureReport m_report;
    ScanSetup m_setup;
    std::unique_ptr<VST3Host> m_host{m_setup.Host({QFileInfo(Fixture("hostile", "Hostile")).path()})};
    Block m_block{2, 64};
};
} // namespace

// The view has one frame at a time: reopening moves it, closing leaves none, each exactly once.
TEST_F(VST3HostileHostingTest, ReopenedEditorKeepsTheViewOnItsNewFrame)
{
    int argc = 1;
    char name[] = "vst3_tests";
    char* argv[] = {name};
    QApplication application(argc, argv);
    VST3Plugin* plugin = Load(kEditor);
    ASSERT_NE(plugin, nullptr);
    QWidget first;
    QWidget second;
    plugin->OpenEditor(&first);
    plugin->OpenEditor(&second);
    const std::vector<std::string> open = m_report.Lines("view");
    plugin->CloseEditor();
    ASSERT_FALSE(open.empty());
    EXPECT_EQ(open.back() == "view attached" ? open[open.size() - 2] : open.back(), "view frame set")
        << "the second editor's frame is the view's";
    int attached = 0;
    int frames = 0;
    for (const std::string& line : m_report.Lines("view"))
    {
        attached += line == "view attached" ? 1 : line == "view removed" ? -1 : 0;
        frames += line == "view frame set" ? 1 : line == "view frame cleared" ? -1 : 0;
        EXPECT_TRUE(attached >= 0 && attached <= 1 && frames <= 1)
            << "at once: " << attached << " " << frames;
    }
    EXPECT_EQ(attached, 0);
    EXPECT_EQ(frames, 0);
    EXPECT_TRUE(m_host->ReleasePlugin(plugin));
}

// An idle step takes only the edits there when it began, or an echoing plug-in keeps it busy for ever.
TEST_F(VST3HostileHostingTest, EchoLoopAndFlushLeaveEachIdleStep)
{
    VST3Plugin* plugin = Load(kEchoLoop);
    ASSERT_NE(plugin, nullptr);
    plugin->QueueMidi(MidiMessage{0, {0x90, 60, 100}});
    ASSERT_TRUE(m_block.Run(*plugin, false));
    ASSERT_TRUE(plugin->SetParameter(0, 1.0f));
    for (int step = 0; step < 3; ++step)
        plugin->Idle();
    EXPECT_NEAR(plugin->GetParameter(0), 0.998f, 1e-4f);
    const std::vector<std::string> flushes = m_report.Lines("flush");
    ASSERT_FALSE(flushes.empty());
    for (const std::string& flush : flushes)
        EXPECT_EQ(flush, "flush with 0 events") << "a flush replays no block's notes";
    EXPECT_TRUE(m_host->ReleasePlugin(plugin));
}

// MIDI bytes past seven bits and controllers of missing parameters stay within the mapping.
TEST_F(VST3HostileHostingTest, BogusMidiDataStaysWithinTheControllerTable)
{
    VST3Plugin* plugin = Load(kBogusMidi);
    ASSERT_NE(plugin, nullptr);
    for (std::uint8_t status : {0xB0, 0xBF, 0xD5, 0xE9, 0x9F, 0xA0})
        plugin->QueueMidi(MidiMessage{0, {status, 0xFF, 0xFE}});
    EXPECT_TRUE(m_block.Run(*plugin));
    plugin->Idle();
    EXPECT_TRUE(m_block.Run(*plugin));
    EXPECT_TRUE(m_host->ReleasePlugin(plugin));
}
