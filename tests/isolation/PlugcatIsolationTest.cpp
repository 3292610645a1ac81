#include "IsolationTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace IsolationTestSupport;

namespace
{
const char* const kGain = "IsolatedGain:1901";
const char* const kAbort = "IsolatedAbort:1902";

class PlugcatIsolationTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(ScanFixtures(m_prefs.path())); }

    TestSupport::ProcessResult Plugcat(const QStringList& arguments) const
    {
        return IsolationTestSupport::Plugcat(m_prefs.path(), arguments);
    }
    // Short enough for the failing fixture to stay healthy.
    bool LoadsIsolated(const char* id, const QStringList& extra = {}) const
    {
        const TestSupport::ProcessResult load =
            Plugcat(QStringList{"load", id, "--json", "--seconds", "0.01"} + extra);
        EXPECT_EQ(load.exitCode, 0) << load.err.toStdString();
        return QJsonDocument::fromJson(load.out.toUtf8())["isolated"].toBool();
    }
    QString State(const QString& id) const
    {
        return TestSupport::CatalogueById(Plugcat({"list", "--json"}).out)[id]["state"].toString();
    }
    QByteArray Results() const
    {
        return TestSupport::ReadFile(m_prefs.path() + "/Effects/FXConfiguration.xml");
    }

    QTemporaryDir m_prefs;
};

// How each failure is told apart is checked on the proxy itself; here, what
// plugcat and the catalogue make of one.
TEST_F(PlugcatIsolationTest, AFailingIsolatedPluginIsReportedDisabledAndCanBeEnabledAgain)
{
    const TestSupport::ProcessResult load =
        Plugcat({"load", kAbort, "--isolated", "--json", "--seconds", "0.2", "--block", "512"});
    EXPECT_EQ(load.exitCode, 1);
    EXPECT_TRUE(("\n" + load.err).contains(QRegularExpression("\nplugcat: .*crashed")))
        << load.err.toStdString();
    // The report of what was played still comes out, and says how it ran.
    EXPECT_TRUE(QJsonDocument::fromJson(load.out.toUtf8())["isolated"].toBool());
    EXPECT_EQ(State(kAbort), "not working");
    EXPECT_EQ(Plugcat({"load", kAbort, "--isolated"}).exitCode, 1);
    EXPECT_EQ(Plugcat({"enable", kAbort}).exitCode, 0);
    EXPECT_EQ(State(kAbort), "enabled");
}

TEST_F(PlugcatIsolationTest, TheChoiceIsRememberedPerPluginAndForAllWithoutTouchingTheResultFiles)
{
    const QByteArray results = Results();
    EXPECT_FALSE(LoadsIsolated(kGain));
    EXPECT_TRUE(LoadsIsolated(kGain, {"--isolated"}));
    ASSERT_EQ(Plugcat({"isolate", kGain, "on"}).exitCode, 0);
    EXPECT_TRUE(LoadsIsolated(kGain));
    ASSERT_EQ(Plugcat({"isolate", kGain, "off"}).exitCode, 0);
    EXPECT_FALSE(LoadsIsolated(kGain));
    // The default isolates every plug-in without a choice of its own.
    ASSERT_EQ(Plugcat({"isolate", "all", "on"}).exitCode, 0);
    EXPECT_FALSE(LoadsIsolated(kGain));
    EXPECT_TRUE(LoadsIsolated(kAbort));
    EXPECT_EQ(Results(), results);
    EXPECT_EQ(Plugcat({"isolate", kGain, "maybe"}).exitCode, 2);
}
} // namespace
