#include "IsolationTestSupport.h"

#include "support/AllocationCounter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace IsolationTestSupport;

// After the first block, a block crosses to the other process and back
// without a single allocation on the processing thread, MIDI included.
TEST(IsolationAllocations, BlocksAfterTheFirstAllocateNothing)
{
    QTemporaryDir prefs;
    ASSERT_TRUE(ScanFixtures(prefs.path()));
    const std::unique_ptr<IsolatedPlugin> plugin = Open(prefs.path(), "IsolatedGain:1901", 256);
    ASSERT_EQ(plugin->GetFailure(), L"");
    plugin->SetMidiActive(true);
    plugin->SetMinimumDeadline(1000000);
    Block block(2, 256);
    const TransportRecord transport;
    ASSERT_TRUE(plugin->Process(transport, block.in.data(), block.out.data(), block.frames));

    MidiMessage note;
    note.data[0] = 0x90;
    const std::size_t before = AllocationCounter::ThreadAllocations();
    for (int index = 0; index < 100; ++index)
    {
        plugin->QueueMidi(note);
        ASSERT_TRUE(plugin->Process(transport, block.in.data(), block.out.data(), block.frames));
    }
    EXPECT_EQ(AllocationCounter::ThreadAllocations() - before, 0u);
}
