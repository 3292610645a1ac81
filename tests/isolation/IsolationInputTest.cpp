// What the isolation code reads from outside: messages from another process,
// and the file of the user's choices.
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationCodec.h"
#include "Core/BaseLib/AudioPlugins/Isolation/IsolationMessage.h"
#include "Core/BaseLib/AudioPlugins/Isolation/PluginIsolation.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
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

// A file that is missing or unreadable isolates nothing and marks nothing;
// what a good one keeps is checked through plugcat.
TEST(PluginIsolation, AMissingOrBrokenFileIsolatesNothing)
{
    const QByteArray broken[] = {
        QByteArray(), "not xml at all", "<Isolation default=\"true\"",
        "<Other default=\"true\"><Plugin id=\"Chosen:1\" isolated=\"true\"/></Other>"};
    for (const QByteArray& contents : broken)
    {
        SCOPED_TRACE(contents.toStdString());
        QTemporaryDir effects;
        if (!contents.isEmpty())
            TestSupport::WriteFile(effects.filePath(PluginIsolation::kFileName), contents);
        PluginIsolation isolation;
        isolation.Open(effects.path());
        EXPECT_FALSE(isolation.IsolatesAll());
        EXPECT_FALSE(isolation.IsIsolated(L"Chosen:1"));
        EXPECT_FALSE(isolation.HasCrashed(L"Chosen:1"));
    }
}
} // namespace
