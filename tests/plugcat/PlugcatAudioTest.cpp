#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
using TestSupport::ProcessResult;

// Scans the hosting fixtures and the MIDI instrument with the real scanner,
// then runs plugcat load on them.
class PlugcatAudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const ProcessResult scan = Plugcat(
            {"scan", TestSupport::Vst2FixtureDir() + "/hosting", TestSupport::Vst2FixtureDir() + "/midi"});
        ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    ProcessResult Plugcat(const QStringList& arguments) const
    {
        return TestSupport::RunProcess(TestSupport::BinDir() + "/plugcat",
                                       QStringList{"--prefs", Path("prefs")} + arguments);
    }

    QTemporaryDir m_dir;
};
} // namespace

// The instrument prints from its entry point, its open and every block, by
// printf, puts, std::cout and write(1): all of it must reach standard error.
TEST_F(PlugcatAudioTest, JsonStaysParseableWhateverAPluginPrints)
{
    const ProcessResult run = Plugcat({"load", "vst2:ChattyInstrument:1901", "--json", "--seconds", "0.1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonDocument report = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    EXPECT_EQ(report["id"].toString(), "vst2:ChattyInstrument:1901");
    for (const char* line :
         {"chatty: printf from VSTPluginMain", "chatty: printf from effOpen", "chatty: printf from process",
          "chatty: puts", "chatty: cout", "chatty: write(1)"})
        EXPECT_TRUE(run.err.contains(line)) << line;

    const ProcessResult list = Plugcat({"list", "--json"});
    EXPECT_EQ(QJsonDocument::fromJson(list.out.toUtf8()).array().size(), 7);
}
