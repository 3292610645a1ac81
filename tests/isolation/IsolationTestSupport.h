#pragma once

#include "Core/BaseLib/AudioPlugins/Isolation/IsolatedPlugin.h"
#include "support/TestSupport.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// What the isolation tests share: the fixture plug-ins, scanned into a
// preferences folder by the real scanner, and blocks of audio to feed them.
namespace IsolationTestSupport
{
QString HostProgram();
// Runs plugcat on the preferences root.
TestSupport::ProcessResult Plugcat(const QString& prefs, const QStringList& arguments);
// Scans the isolation fixtures into the preferences root with plugcat; false when that failed.
bool ScanFixtures(const QString& prefs);
// An isolated instance of a catalogued VST plug-in, initialised at 48 kHz.
std::unique_ptr<IsolatedPlugin> Open(const QString& prefs, const QString& id, std::uint32_t blockSize,
                                     const QString& hostProgram = HostProgram());

// Channels of audio with the pointer arrays a plug-in takes.
struct Block
{
    Block(std::uint32_t channels, std::uint32_t frames);
    void FillInputs(float value);
    // True when every output sample of every channel is that value.
    bool OutputsAre(float value) const;

    std::uint32_t frames;
    std::vector<std::vector<float>> inputs;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> in;
    std::vector<float*> out;
};
} // namespace IsolationTestSupport
