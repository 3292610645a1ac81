#include "Main/AudioEngineController/Effects/VST3/VST3HostContext.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/Controller.h"
#include "Main/AudioEngineController/Effects/VST3/Abi/View.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostAttributeList.h"
#include "Main/AudioEngineController/Effects/VST3/VST3HostMessage.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Limits.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
template <class Object> void* Ask(Object* object, const vst3::Uid& iid, vst3::tresult expected)
{
    void* obj = object;
    EXPECT_EQ(object->queryInterface(iid, &obj), expected);
    return obj;
}
} // namespace

// Answers hold references of their own; the own attribute list does not.
// Plug-ins that ask are told of exactly the interfaces the host calls.
TEST(VST3HostContextTest, InterfacesAreAnsweredWithReferencesOfTheirOwn)
{
    auto* context = new VST3HostContext(nullptr);
    EXPECT_NE(Ask(context, vst3::IUnitHandler::iid, vst3::kResultOk), nullptr);
    EXPECT_EQ(Ask(context, vst3::IAttributeList::iid, vst3::kResultOk), context->AttributeList());
    EXPECT_EQ(Ask(context, vst3::IPlugFrame::iid, vst3::kNotImplemented), nullptr);
    auto* support = static_cast<vst3::IPlugInterfaceSupport*>(
        Ask(context, vst3::IPlugInterfaceSupport::iid, vst3::kResultOk));
    ASSERT_NE(support, nullptr);
    EXPECT_EQ(support->isPlugInterfaceSupported(vst3::IMidiMapping::iid), vst3::kResultTrue);
    EXPECT_EQ(support->isPlugInterfaceSupported(vst3::IUnitInfo::iid), vst3::kResultFalse);
    EXPECT_EQ(context->release(), 2u);
    EXPECT_EQ(context->release(), 1u);
    EXPECT_EQ(context->release(), 0u);
}

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
    message->setMessageID(nullptr);
    EXPECT_EQ(message->getMessageID(), nullptr);
    EXPECT_EQ(message->getAttributes(), message->getAttributes()) << "one list per message";
    EXPECT_EQ(Ask(message, vst3::IAttributeList::iid, vst3::kNoInterface), nullptr);
    EXPECT_EQ(message->release(), 0u);

    obj = &plugin;
    std::memcpy(iid, vst3::IAttributeList::iid.bytes, sizeof iid);
    EXPECT_EQ(application->createInstance(cid, iid, &obj), vst3::kInvalidArgument);
    EXPECT_EQ(obj, nullptr);
}

TEST(VST3HostContextTest, AttributeListKeepsOneValuePerNameAsStored)
{
    auto* list = new VST3HostAttributeList;
    vst3::int64 number = 0;
    EXPECT_EQ(list->setInt("n", 1), vst3::kResultOk);
    EXPECT_EQ(list->setInt("n", 2), vst3::kResultOk);
    EXPECT_EQ(list->getInt("n", number), vst3::kResultOk);
    EXPECT_EQ(number, 2);

    const char16_t text[] = u"abcdef";
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
    const void* again = nullptr;
    list->getBinary("b", again, size);
    EXPECT_EQ(data, again) << "the list's own bytes, not a copy";
    EXPECT_EQ(size, 3u);
    char16_t wide[8] = {};
    EXPECT_EQ(list->getString("b", wide, sizeof wide), vst3::kResultOk) << "read through the wrong getter";
    EXPECT_EQ(std::memcmp(wide, bytes, sizeof bytes), 0);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(wide)[sizeof bytes], 0) << "never past the stored bytes";

    EXPECT_EQ(Ask(list, vst3::IMessage::iid, vst3::kNoInterface), nullptr);
    EXPECT_EQ(list->release(), 0u);
}
