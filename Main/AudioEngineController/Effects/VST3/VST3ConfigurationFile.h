#pragma once

#include "Main/AudioEngineController/Effects/VST3/VST3EffectRecord.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The VST 3 configuration file, "VST3Configuration.xml": the lasting list of
// the VST 3 classes the scan found, written line by line, read through the
// XML layer.
class VST3ConfigurationFile
{
public:
    static constexpr const char* kFileName = "VST3Configuration.xml";

    // The lines before and after the entries.
    static QByteArray Header();
    static QByteArray Footer();
    // The fourteen lines of one Effect element.
    static QByteArray FormatEntry(const VST3EffectRecord& record);

    struct Contents
    {
        // 1.0 when the file does not say.
        double version = 1.0;
        // In document order.
        std::vector<VST3EffectRecord> records;
    };

    // Throws XMLException for a file that cannot be read or parsed.
    static Contents Read(const QString& path);
};
