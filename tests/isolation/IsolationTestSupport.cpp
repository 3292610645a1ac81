#include "IsolationTestSupport.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace IsolationTestSupport
{
QString HostProgram()
{
    return TestSupport::BinDir() + QStringLiteral("/PlugSweepHost");
}

TestSupport::ProcessResult Plugcat(const QString& prefs, const QStringList& arguments)
{
    // Qt's offscreen platform leaks its screen in plugcat and the scanner,
    // through stacks the suppressions cannot always name; the isolation
    // code's own leaks are checked in the test process.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
    return TestSupport::Plugcat(prefs, arguments, environment);
}

bool ScanFixtures(const QString& prefs)
{
    const TestSupport::ProcessResult scan = Plugcat(prefs, {"scan", PLUGSWEEP_ISOLATION_FIXTURE_DIR});
    EXPECT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    return scan.exitCode == 0;
}

std::unique_ptr<IsolatedPlugin> Open(const QString& prefs, const QString& id, std::uint32_t blockSize,
                                     const QString& hostProgram)
{
    auto plugin = std::make_unique<IsolatedPlugin>(QFile::encodeName(hostProgram).toStdString(),
                                                   (QStringLiteral("vst:") + id).toStdWString(),
                                                   (prefs + QStringLiteral("/Effects")).toStdWString());
    plugin->Initialise(48000.0f, blockSize, PluginPlacement());
    return plugin;
}

Block::Block(std::uint32_t channels, std::uint32_t frameCount)
    : frames(frameCount), inputs(channels, std::vector<float>(frameCount)),
      outputs(channels, std::vector<float>(frameCount)), in(channels), out(channels)
{
    for (std::uint32_t channel = 0; channel < channels; ++channel)
    {
        in[channel] = inputs[channel].data();
        out[channel] = outputs[channel].data();
    }
}

void Block::FillInputs(float value)
{
    for (std::vector<float>& channel : inputs)
        std::fill(channel.begin(), channel.end(), value);
    for (std::vector<float>& channel : outputs)
        std::fill(channel.begin(), channel.end(), -1.0f);
}

bool Block::OutputsAre(float value) const
{
    return std::all_of(
        outputs.begin(), outputs.end(),
        [value](const std::vector<float>& channel)
        { return std::all_of(channel.begin(), channel.end(), [value](float s) { return s == value; }); });
}
} // namespace IsolationTestSupport
