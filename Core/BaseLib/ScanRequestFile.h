#pragma once

#include <QByteArray>
#include <QStringList>
#include <string>

// The scan request: the list of plug-in folders the host asks the scanner to
// walk, as written by the catalogue and read by the scanner at start-up.
class ScanRequestFile
{
public:
    static constexpr const char* kFileName = "FXScan.xml";

    // The folders of the request in file order; empty for a missing,
    // unreadable or malformed file, or one without a Scan element.
    static QStringList Read(const std::wstring& path);
    // Replaces the file atomically; false when it cannot be written.
    static bool Write(const std::wstring& path, const QStringList& folders);
    static QByteArray Format(const QStringList& folders);
};
