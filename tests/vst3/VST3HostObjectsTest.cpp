// The objects the host hands to plug-ins, which choose the counts, positions and texts they pass in.
#include "Main/AudioEngineController/Effects/VST3/VST3EventList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostAttributeList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostContext.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostMessage.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"
#include "Main/AudioEngineController/Effects/VST3/VST3MemoryStream.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChangeTransfer.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterChanges.h"
#include "Main/AudioEngineController/Effects/VST3/VST3ParameterValueQueue.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"

#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

TEST(VST3HostContextTest, CreatesMessagesAndListsByIdentifierContent)
{
    VST3Plugin plugin;
    vst3::IHostApplication* application = plugin.HostContext();
    vst3::TUID cid;
    vst3::TUID iid;
    std::memcpy(cid, vst3::IMessage::iid.bytes, sizeof cid);
    std::memcpy(iid, vst3::IMessage::iid.bytes, sizeof iid);
    void* obj = nullptr;
    ASSERT_EQ(application->createInstance(cid, iid, &obj), vst3::kResultOk);
    auto* message = static_cast<vst3::IMessage*>(obj);
    EXPECT_EQ(message->getMessageID(), nullptr);
    message->setMessageID("first");
    message->setMessageID(message->getMessageID());
    EXPECT_STREQ(message->getMessageID(), "first") << "its own id given back";
    const std::vector<char> endless(VST3Limits::kMaxTextUnits, 'm');
    message->setMessageID(endless.data());
    EXPECT_EQ(std::strlen(message->getMessageID()), VST3Limits::kMaxTextUnits) << "cut at the limit";
    EXPECT_EQ(message->getAttributes(), message->getAttributes()) << "one list per message";
    EXPECT_EQ(message->release(), 0u);

    obj = &plugin;
    std::memcpy(iid, vst3::IAttributeList::iid.bytes, sizeof iid);
    EXPECT_EQ(application->createInstance(cid, iid, &obj), vst3::kInvalidArgument);
    EXPECT_EQ(obj, nullptr);
}

TEST(VST3HostContextTest, AttributeListKeepsOneValuePerNameAsStored)
{
    auto* list = new VST3HostAttributeList;
    const char16_t text[] = u"abcdef";
    list->setString("t", u"replaced");
    list->setString("t", text);
    char16_t buffer[8];
    std::memset(buffer, 0xFF, sizeof buffer);
    EXPECT_EQ(list->getString("t", buffer, sizeof buffer), vst3::kResultOk);
    EXPECT_EQ(std::u16string(buffer), u"abcdef");
    EXPECT_EQ(list->getString("missing", buffer, sizeof buffer), vst3::kResultFalse);

    // Texts without a terminator are read no further than the limit, which
    // a sanitizer build would otherwise report as our overflow.
    const std::vector<char16_t> endless(VST3Limits::kMaxTextUnits, u'x');
    const std::vector<char> endlessName(VST3Limits::kMaxTextUnits, 'k');
    EXPECT_EQ(list->setString(endlessName.data(), endless.data()), vst3::kResultOk);
    std::vector<char16_t> whole(VST3Limits::kMaxTextUnits + 2, u'?');
    const std::string name(endlessName.begin(), endlessName.end());
    EXPECT_EQ(list->getString(name.c_str(), whole.data(), vst3::uint32(whole.size() * 2)), vst3::kResultOk);
    EXPECT_EQ(std::u16string(whole.data()).size(), VST3Limits::kMaxTextUnits);

    const unsigned char bytes[] = {9, 8, 7};
    list->setBinary("b", bytes, sizeof bytes);
    const void* data = nullptr;
    vst3::uint32 size = 0;
    EXPECT_EQ(list->getBinary("b", data, size), vst3::kResultOk);
    EXPECT_EQ(size, 3u);
    char16_t wide[8] = {};
    EXPECT_EQ(list->getString("b", wide, sizeof wide), vst3::kResultOk) << "read through the wrong getter";
    EXPECT_EQ(std::memcmp(wide, bytes, sizeof bytes), 0);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(wide)[sizeof bytes], 0) << "never past the stored bytes";

    EXPECT_EQ(list->release(), 0u);
}

// A full ring keeps its oldest changes, and a full event list refuses more.
TEST(VST3ParameterTrafficTest, QueuesKeepOnePointPerOffsetAndNothingOutgrowsItsCapacity)
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
    EXPECT_EQ(changes->getParameterData(1), nullptr) << "the spare queue is not content";
    changes->Clear();
    EXPECT_EQ(changes->addParameterData(8, index), queue) << "the first queue is reused";
    EXPECT_EQ(queue->getParameterId(), 8u);
    EXPECT_EQ(queue->getPointCount(), 0);

    changes->Clear();
    VST3ParameterChangeTransfer ring(2);
    for (vst3::ParamID id = 1; id <= 5; ++id)
        ring.AddChange(id, id / 10.0, 0);
    ring.TransferTo(*changes);
    ASSERT_EQ(changes->getParameterCount(), 3) << "capacity 4 holds 3";
    for (index = 0; index < 3; ++index)
        EXPECT_EQ(changes->getParameterData(index)->getParameterId(), vst3::ParamID(index + 1));
    EXPECT_EQ(changes->release(), 0u);

    auto* list = new VST3EventList(250);
    vst3::Event event{};
    for (event.sampleOffset = 0; event.sampleOffset < 250; ++event.sampleOffset)
        ASSERT_EQ(list->addEvent(event), vst3::kResultOk);
    EXPECT_EQ(list->addEvent(event), vst3::kResultFalse);
    EXPECT_EQ(list->getEventCount(), 250);
    EXPECT_EQ(list->getEvent(-1, event), vst3::kResultFalse);
    EXPECT_EQ(list->getEvent(250, event), vst3::kResultFalse);
    list->Clear();
    EXPECT_EQ(list->EventAt(0), nullptr);
    list->release();
}

// Positions and sizes come from the plug-in: none carries the stream past its limit or is cut short.
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
