#include "Core/BaseLib/AudioPlugins/Isolation/IsolationMessage.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationCodec.h"

#include <gtest/gtest.h>

namespace
{
QByteArray Words(std::initializer_list<std::uint32_t> words)
{
    IsolationMessage message;
    for (std::uint32_t word : words)
        message.PutU32(word);
    return message.Bytes();
}

// What another process may send instead of a well-formed message: every one
// must fail the message and give empty values, without reading past its end.
TEST(IsolationMessage, MalformedPayloadsFailInsteadOfReadingOn)
{
    const struct
    {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"nothing at all", QByteArray()},
        {"half a word", QByteArray("\x01\x02", 2)},
        {"a length beyond the bytes", Words({1000}) + "abc"},
        {"the largest length", Words({0xffffffffu})},
        {"a count no message could hold", Words({0x7fffffffu, 1, 2})},
    };
    for (const auto& malformed : cases)
    {
        SCOPED_TRACE(malformed.what);
        IsolationMessage text(malformed.bytes);
        EXPECT_EQ(text.TakeText(), L"");
        EXPECT_TRUE(text.Failed());
        // Nothing is handed out after the failure, not even a word that is there.
        EXPECT_EQ(text.TakeU32(), 0u);

        IsolationMessage table(malformed.bytes);
        EXPECT_EQ(table.TakeCount(4), 0u);
        EXPECT_TRUE(table.Failed());

        IsolationMessage state(malformed.bytes);
        PluginState taken;
        IsolationCodec::Take(state, taken);
        EXPECT_TRUE(state.Failed());
        EXPECT_TRUE(taken.parameterNames.empty());
    }
}

// Fields that no process-level test looks at on both sides.
TEST(IsolationMessage, PresetsAndParametersSurviveTheCodec)
{
    PluginState state;
    state.data = QByteArray("\x00\x01\xff chunk", 9);
    state.identifier = L"VST:Zä:42";
    state.editorWidth = 640;
    state.flags = PluginState::kBypassLike | PluginState::kOffset;
    state.value = 0x123456789abcull;
    state.values[1] = 9;
    state.parameterNames = {"Gain", "", "Mix"};
    AudioPluginParameter parameter;
    parameter.kind = AudioPluginParameter::List;
    parameter.valueTexts = {L"Soft", L"Medium", L"Hard"};
    parameter.identifier = 77;

    IsolationMessage message;
    IsolationCodec::Put(message, state);
    IsolationCodec::Put(message, parameter);
    IsolationMessage received(message.Bytes());
    PluginState stateBack;
    AudioPluginParameter parameterBack;
    IsolationCodec::Take(received, stateBack);
    IsolationCodec::Take(received, parameterBack);
    ASSERT_FALSE(received.Failed());
    EXPECT_EQ(stateBack.data, state.data);
    EXPECT_EQ(stateBack.identifier, state.identifier);
    EXPECT_EQ(stateBack.editorWidth, 640);
    EXPECT_EQ(stateBack.flags, state.flags);
    EXPECT_EQ(stateBack.value, state.value);
    EXPECT_EQ(stateBack.values[1], 9u);
    EXPECT_EQ(stateBack.parameterNames, state.parameterNames);
    EXPECT_EQ(parameterBack.valueTexts, parameter.valueTexts);
    EXPECT_EQ(parameterBack.kind, parameter.kind);
    EXPECT_EQ(parameterBack.identifier, 77u);
}
} // namespace
