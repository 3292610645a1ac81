#include "Main/AudioEngineController/Effects/VST3/VST3EventList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3MemoryStream.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChangeTransfer.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChanges.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterValueQueue.h"

#include <gtest/gtest.h>
#include <limits>

TEST(VST3ParameterTrafficTest, QueuesKeepOnePointPerOffsetAndPoolsReuseTheirQueues)
{
    auto* changes = new VST3ParameterChanges(2);
    vst3::int32 index = -1;
    vst3::IParamValueQueue* queue = changes->addParameterData(7, index);
    EXPECT_EQ(index, 0);
    std::vector<vst3::int32> positions;
    for (const auto& [offset, value] : {std::pair{10, 0.1}, {5, 0.2}, {10, 0.3}})
    {
        queue->addPoint(offset, value, index);
        positions.push_back(index);
    }
    EXPECT_EQ(positions, (std::vector<vst3::int32>{0, 0, 1}));
    vst3::int32 offset = 0;
    vst3::ParamValue value = 0.0;
    ASSERT_EQ(queue->getPointCount(), 2);
    ASSERT_EQ(queue->getPoint(1, offset, value), vst3::kResultOk);
    EXPECT_EQ(offset, 10);
    EXPECT_EQ(value, 0.3);
    EXPECT_EQ(queue->getPoint(2, offset, value), vst3::kResultFalse);

    EXPECT_EQ(changes->addParameterData(7, index), queue);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(changes->getParameterData(1), nullptr) << "the spare queue is not content";
    changes->Clear();
    EXPECT_EQ(changes->addParameterData(8, index), queue) << "the first queue is reused";
    EXPECT_EQ(queue->getParameterId(), 8u);
    EXPECT_EQ(queue->getPointCount(), 0);
    EXPECT_EQ(changes->release(), 0u);
}

TEST(VST3ParameterTrafficTest, AFullRingKeepsItsOldestChangesReadable)
{
    VST3ParameterChangeTransfer ring(2);
    for (vst3::ParamID id = 1; id <= 5; ++id)
        ring.AddChange(id, id / 10.0, 0);
    auto* changes = new VST3ParameterChanges(0);
    ring.TransferTo(*changes);
    ASSERT_EQ(changes->getParameterCount(), 3) << "capacity 4 holds 3";
    for (vst3::int32 index = 0; index < 3; ++index)
        EXPECT_EQ(changes->getParameterData(index)->getParameterId(), vst3::ParamID(index + 1));

    changes->release();
}

TEST(VST3ParameterTrafficTest, EventListsDropWhatDoesNotFit)
{
    auto* list = new VST3EventList(250);
    vst3::Event event{};
    for (int count = 0; count < 250; ++count)
    {
        event.sampleOffset = count;
        ASSERT_EQ(list->addEvent(event), vst3::kResultOk);
    }
    EXPECT_EQ(list->addEvent(event), vst3::kResultFalse);
    EXPECT_EQ(list->getEventCount(), 250);
    EXPECT_EQ(list->getEvent(-1, event), vst3::kResultFalse);
    ASSERT_EQ(list->getEvent(249, event), vst3::kResultOk);
    EXPECT_EQ(event.sampleOffset, 249);
    list->Clear();
    EXPECT_EQ(list->EventAt(0), nullptr);
    list->release();
}

// Positions and sizes come from the plug-in: none may carry the stream past
// its limit, and a write that would is refused, not cut short.
TEST(VST3MemoryStreamTest, KeepsEveryPositionWithinItsLimit)
{
    constexpr vst3::int64 kFar = std::numeric_limits<vst3::int64>::max() - 10;
    auto* stream = new VST3MemoryStream;
    char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(stream->write(bytes, 8, nullptr), vst3::kResultOk);
    const struct
    {
        vst3::int64 pos;
        vst3::int32 mode;
        vst3::tresult result;
        vst3::int64 position;
    } seeks[] = {
        {kFar, vst3::IBStream::kIBSeekSet, vst3::kResultFalse, 8},
        {4, vst3::IBStream::kIBSeekSet, vst3::kResultOk, 4},
        {kFar, vst3::IBStream::kIBSeekCur, vst3::kResultFalse, 4},
        {-9, vst3::IBStream::kIBSeekEnd, vst3::kResultFalse, 4},
        {VST3MemoryStream::kMaxBytes + 1, vst3::IBStream::kIBSeekSet, vst3::kResultFalse, 4},
        {VST3MemoryStream::kMaxBytes - 4, vst3::IBStream::kIBSeekSet, vst3::kResultOk,
         VST3MemoryStream::kMaxBytes - 4},
    };
    for (const auto& seek : seeks)
    {
        vst3::int64 position = -1;
        EXPECT_EQ(stream->seek(seek.pos, seek.mode, nullptr), seek.result) << seek.pos;
        ASSERT_EQ(stream->tell(&position), vst3::kResultOk);
        EXPECT_EQ(position, seek.position) << seek.pos;
    }
    vst3::int32 written = -1;
    EXPECT_EQ(stream->write(bytes, 8, &written), vst3::kOutOfMemory);
    EXPECT_EQ(written, 0);
    EXPECT_TRUE(stream->Overflowed());
    EXPECT_EQ(stream->Bytes().size(), 8) << "nothing was grown for the refused write";
    stream->release();
}
