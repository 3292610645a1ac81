#pragma once

#include "Main/AudioEngineController/Effects/VST/VstEffectRecord.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <utility>

class XMLNode;

// "FXConfiguration.xml": the lasting list of known VST 2 plug-ins, read at the
// start of every scan and by the host, rewritten whenever the list changes.
class VstConfigurationFile
{
public:
    static constexpr const char* kFileName = "FXConfiguration.xml";
    // Files older than this are read but must be rewritten.
    static constexpr double kVersion = 1.4;

    explicit VstConfigurationFile(QString path) : m_path(std::move(path)) {}
    const QString& Path() const { return m_path; }

    // Replaces the file at once, so that it is either the old or the new list
    // whenever the process dies; false, leaving the old file, when it cannot
    // be written.
    bool Write(const VstActiveList& active);
    // Adds the file's entries to known. rewriteNeeded is set when the file is
    // of an older version, whose file times cannot be trusted. A malformed
    // file keeps what was read before the fault.
    void Read(VstKnownList& known, bool& rewriteNeeded) const;

private:
    const QByteArray& Format(const VstActiveList& active);
    static QByteArray FormatEffect(const VstEffectRecord& record);
    static VstEffectRecord ReadEffect(const XMLNode& effect, double version, bool& rewriteNeeded);
    static void Insert(VstKnownList& known, VstEffectRecord record, bool subPlugin);

    QString m_path;
    // A scan rewrites the file after every plug-in it finds; entries already
    // written are not formatted again.
    std::map<std::wstring, std::pair<VstEffectRecord, QByteArray>, Utf16Order> m_formatted;
    QByteArray m_text;
};
