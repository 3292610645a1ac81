#include "Core/BaseLib/AudioPlugins/Isolation/PluginIsolation.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
const std::wstring kChosen = L"Chosen:1";
const std::wstring kOther = L"Other:2";

// A file that is missing or unreadable isolates nothing and marks nothing.
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
        EXPECT_FALSE(isolation.IsIsolated(kChosen));
        EXPECT_FALSE(isolation.HasCrashed(kChosen));
    }
}

TEST(PluginIsolation, ChoicesDefaultAndCrashesSurviveTheFile)
{
    QTemporaryDir effects;
    {
        PluginIsolation isolation;
        isolation.Open(effects.path());
        isolation.SetIsolatesAll(true);
        isolation.SetIsolated(kChosen, false);
        isolation.SetCrashed(kOther, true);
        ASSERT_TRUE(isolation.Save());
    }
    PluginIsolation isolation;
    isolation.Open(effects.path());
    // A plug-in's own choice wins over the default.
    EXPECT_FALSE(isolation.IsIsolated(kChosen));
    EXPECT_TRUE(isolation.IsIsolated(kOther));

    PluginTypeList list;
    list[kChosen].state = PluginListEntry::State::Enabled;
    list[kOther].state = PluginListEntry::State::Disabled;
    isolation.MarkCrashed(list);
    EXPECT_EQ(list[kChosen].state, PluginListEntry::State::Enabled);
    EXPECT_EQ(list[kOther].state, PluginListEntry::State::NotWorking);

    // Enabled again in the catalogue: the crash is forgotten, in the file too.
    list[kOther].state = PluginListEntry::State::Enabled;
    isolation.ForgetReenabled(list);
    PluginIsolation reread;
    reread.Open(effects.path());
    EXPECT_FALSE(reread.HasCrashed(kOther));
}
} // namespace
