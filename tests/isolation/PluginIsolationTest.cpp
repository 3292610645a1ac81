#include "Core/BaseLib/AudioPlugins/Isolation/PluginIsolation.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
const std::wstring kChosen = L"Chosen:1";

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
        EXPECT_FALSE(isolation.IsIsolated(kChosen));
        EXPECT_FALSE(isolation.HasCrashed(kChosen));
    }
}
} // namespace
