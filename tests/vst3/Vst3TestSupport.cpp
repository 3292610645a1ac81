#include "vst3/Vst3TestSupport.h"

#include "Interfaces/EngineContext.h"
#include "Interfaces/ProcessFolders.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Host.h"
#include "Main/AudioEngineController/Effects/VST3/VST3Plugin.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fstream>
#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace Vst3TestSupport
{
QString Fixture(const QString& group, const QString& name)
{
    return TestSupport::Vst3FixtureDir() + "/" + group + "/" + name + ".vst3";
}

std::map<std::string, Entry> Entries(const QString& configuration)
{
    std::map<std::string, Entry> entries;
    pugi::xml_document document;
    if (!document.load_file(configuration.toStdString().c_str()))
        return entries;
    for (pugi::xml_node effect : document.child("Effects").children("Effect"))
    {
        Entry entry;
        for (pugi::xml_node element : effect.children())
            entry[element.name()] = element.text().get();
        entries[entry["ID"]] = entry;
    }
    return entries;
}

VST3Plugin* Load(VST3Host& host, const std::wstring& id, std::uint32_t format)
{
    PluginPlacement placement;
    placement.channelFormat = format;
    return static_cast<VST3Plugin*>(host.LoadPlugin(id, 0, placement));
}

Block::Block(int channels, int frames) : frames(frames), in(channels), out(channels)
{
    for (int c = 0; c < channels; ++c)
    {
        in[c].assign(frames, float(c + 1));
        out[c].assign(frames, -1.0f);
        inputs.push_back(in[c].data());
        outputs.push_back(out[c].data());
    }
}

bool Block::Run(AudioPlugin& plugin, bool rolling)
{
    TransportRecord transport;
    transport.rolling = rolling;
    return plugin.Process(transport, inputs.data(), outputs.data(), std::uint32_t(frames));
}

FixtureReport::FixtureReport()
{
    qputenv("PLUGSWEEP_FIXTURE_REPORT", QFile::encodeName(m_folder.filePath("report")));
}

FixtureReport::~FixtureReport()
{
    qunsetenv("PLUGSWEEP_FIXTURE_REPORT");
}

std::vector<std::string> FixtureReport::Lines(const std::string& prefix) const
{
    std::vector<std::string> lines;
    std::ifstream in(m_folder.filePath("report").toStdString());
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
    return lines;
}

ScanSetup::ScanSetup()
{
    QDir().mkpath(Effects());
    EngineContext::Instance().SetInterface(&m_interface);
}

ScanSetup::~ScanSetup()
{
    EngineContext::Instance().SetInterface(nullptr);
    ProcessFolders::PluginFolders().clear();
}

QString ScanSetup::Scratch(const QString& name) const
{
    const QString path = m_prefs.path() + "/" + name;
    QDir().mkpath(path);
    return path;
}

std::unique_ptr<VST3Host> ScanSetup::Host(const QStringList& folders)
{
    ProcessFolders::PluginFolders() = folders;
    auto host = std::make_unique<VST3Host>();
    host->Initialise(Effects().toStdWString(), std::wstring(), 48000, 1024);
    return host;
}

bool ScanSetup::Run(const QStringList& folders)
{
    const std::unique_ptr<VST3Host> host = Host(folders);
    host->LoadKnownPlugins();
    return host->LaunchScanner(true, true);
}

QStringList ScanSetup::Markers() const
{
    return QDir(Effects()).entryList({"*.scan3"}, QDir::Files | QDir::Hidden);
}
} // namespace Vst3TestSupport
