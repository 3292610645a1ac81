#pragma once

#include "Interfaces/CorvaneInterfaceImpl.h"
#include "support/RecordingUI.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class AudioPlugin;
class VST3Host;
class VST3Plugin;

namespace Vst3TestSupport
{
// A fixture module's bundle (or plain file) in the build's fixture folders.
QString Fixture(const QString& group, const QString& name);

// Each Effect element's children by name, keyed by ID, read by the XML parser, not the code under test.
using Entry = std::map<std::string, std::string>;
std::map<std::string, Entry> Entries(const QString& configuration);

// Points the fixtures' report at a file of its own while it lives.
class FixtureReport
{
public:
    FixtureReport();
    ~FixtureReport();
    // The lines that start with prefix.
    std::vector<std::string> Lines(const std::string& prefix = {}) const;

private:
    QTemporaryDir m_folder;
};

// An instance of a class the host knows, for a track of the given channel format.
VST3Plugin* Load(VST3Host& host, const std::wstring& id, std::uint32_t format = 2);

// Channel c of the input holds c + 1 throughout.
struct Block
{
    Block(int channels, int frames);
    bool Run(AudioPlugin& plugin, bool rolling = true);

    int frames;
    std::vector<std::vector<float>> in, out;
    std::vector<float*> inputs, outputs;
};

using TestSupport::ScopedUI;

// A preferences folder with its Effects folder, and VST 3 hosts that scan as one scanner run does.
class ScanSetup
{
public:
    ScanSetup();
    ~ScanSetup();

    QString Effects() const { return m_prefs.path() + "/Effects"; }
    QString Configuration() const { return Effects() + "/VST3Configuration.xml"; }
    QString Scratch(const QString& name) const;

    // A new host, initialised on these folders.
    std::unique_ptr<VST3Host> Host(const QStringList& folders);
    // Loads the known classes and scans, as one scanner run; the scan's result.
    bool Run(const QStringList& folders);
    QStringList Markers() const;

private:
    QTemporaryDir m_prefs;
    CorvaneInterfaceImpl m_interface;
};
} // namespace Vst3TestSupport
