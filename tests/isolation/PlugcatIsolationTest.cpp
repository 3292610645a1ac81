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

class PlugcatIsolationTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Scan(m_prefs.path(), FixtureDir())); }

    TestSupport::ProcessResult Plugcat(const QStringList& arguments) const
    {
        return IsolationTestSupport::Plugcat(m_prefs.path(), arguments);
    }

    QJsonObject LoadJson(const QStringList& extra) const
    {
        const TestSupport::ProcessResult load =
            Plugcat(QStringList{"load", kGain, "--json", "--seconds", "0.1"} + extra);
        EXPECT_EQ(load.exitCode, 0) << load.err.toStdString();
        return QJsonDocument::fromJson(load.out.toUtf8()).object();
    }

    QString State(const QString& id) const
    {
        return TestSupport::CatalogueById(Plugcat({"list", "--json"}).out)[id]["state"].toString();
    }

    QByteArray ResultFiles() const
    {
        const QString effects = m_prefs.path() + "/Effects/";
        return TestSupport::ReadFile(effects + "FXConfiguration.xml") + "|" +
               TestSupport::ReadFile(effects + "VST3Configuration.xml");
    }

    QTemporaryDir m_prefs;
};

struct FailingLoad
{
    const char* id;
    const char* failure;
};

TEST_F(PlugcatIsolationTest, AFailingIsolatedPluginIsReportedDisabledAndCanBeEnabledAgain)
{
    const FailingLoad cases[] = {
        {"IsolatedAbort:1902", "crashed"},
        {"IsolatedThreadFault:1903", "crashed"},
        {"IsolatedExit:1904", "crashed"},
        {"IsolatedHang:1905", "hung"},
    };
    for (const FailingLoad& failing : cases)
    {
        SCOPED_TRACE(failing.id);
        const TestSupport::ProcessResult load =
            Plugcat({"load", failing.id, "--isolated", "--json", "--seconds", "0.2", "--block", "512"});
        EXPECT_EQ(load.exitCode, 1);
        EXPECT_TRUE(load.err.contains(
            QRegularExpression(QStringLiteral("(^|\\n)plugcat: .*%1").arg(failing.failure))))
            << load.err.toStdString();
        // The report of what was played still comes out, and says how it ran.
        EXPECT_TRUE(QJsonDocument::fromJson(load.out.toUtf8()).object()["isolated"].toBool());
        EXPECT_EQ(State(failing.id), "not working");
        EXPECT_EQ(Plugcat({"load", failing.id, "--isolated"}).exitCode, 1);

        EXPECT_EQ(Plugcat({"enable", failing.id}).exitCode, 0);
        EXPECT_EQ(State(failing.id), "enabled");
    }
}

TEST_F(PlugcatIsolationTest, TheChoiceIsRememberedPerPluginAndForAllWithoutTouchingTheResultFiles)
{
    const QByteArray results = ResultFiles();
    EXPECT_FALSE(LoadJson({})["isolated"].toBool());
    EXPECT_TRUE(LoadJson({"--isolated"})["isolated"].toBool());

    ASSERT_EQ(Plugcat({"isolate", kGain, "on"}).exitCode, 0);
    EXPECT_TRUE(LoadJson({})["isolated"].toBool());
    ASSERT_EQ(Plugcat({"isolate", kGain, "off"}).exitCode, 0);
    EXPECT_FALSE(LoadJson({})["isolated"].toBool());

    // The default isolates every plug-in without a choice of its own.
    ASSERT_EQ(Plugcat({"isolate", "all", "on"}).exitCode, 0);
    EXPECT_FALSE(LoadJson({})["isolated"].toBool());
    EXPECT_TRUE(QJsonDocument::fromJson(
                    Plugcat({"load", "IsolatedAbort:1902", "--json", "--seconds", "0.01"}).out.toUtf8())
                    .object()["isolated"]
                    .toBool());
    EXPECT_EQ(ResultFiles(), results);
    EXPECT_EQ(Plugcat({"isolate", kGain, "maybe"}).exitCode, 2);
}

} // namespace
