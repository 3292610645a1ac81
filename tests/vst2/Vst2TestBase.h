#pragma once

#include "Interfaces/CorvaneInterfaceImpl.h"
#include "Main/AudioEngineController/Effects/VST/VstEffectRecord.h"
#include "PlugSweepRunner.h"
#include "support/RecordingUI.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class VSTHost;

// A preferences root per test, the scanner's interfaces and catalogue installed; a fresh host per scan.
class Vst2TestBase : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh host initialised over these plug-in folders.
    VSTHost& StartHost(const QStringList& folders = {});
    // One scanner run; true when it wrote the configuration file.
    bool Scan(const QStringList& folders);

    QString EffectsFolder() const { return m_root.filePath(QStringLiteral("Effects")); }
    QString ConfigurationPath() const { return EffectsFolder() + QStringLiteral("/FXConfiguration.xml"); }
    QByteArray ConfigurationBytes() const { return TestSupport::ReadFile(ConfigurationPath()); }
    // The configuration file's entries in file order.
    std::vector<VstEffectRecord> Configuration() const
    {
        return PlugSweepRunner::ReadConfiguration(ConfigurationPath());
    }
    const VstEffectRecord* Entry(const std::wstring& id) const;
    // A folder below the test's root, created if needed.
    QString Folder(const QString& relative) const;
    // Copies a fixture plug-in (relative to the fixture folder) into folder,
    // under its own name or the one given; answers the copy's path.
    static QString Copy(const QString& fixture, const QString& folder, const QString& name = QString());
    // The lines the probe and nest fixtures report through the callback.
    QStringList ReportLines() const;

    QTemporaryDir m_root;
    TestSupport::ScopedUI m_ui;

private:
    CorvaneInterfaceImpl m_interface;
    mutable std::vector<VstEffectRecord> m_entries;
};
