#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <ostream>

// Lets failing tests show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Paths the build hands to the tests, and the file and process chores they share.
namespace TestSupport
{
inline QString BinDir()
{
    return QStringLiteral(PLUGSWEEP_BIN_DIR);
}
inline QString Vst2FixtureDir()
{
    return QStringLiteral(PLUGSWEEP_VST2_FIXTURE_DIR);
}
inline QString Vst3FixtureDir()
{
    return QStringLiteral(PLUGSWEEP_VST3_FIXTURE_DIR);
}

// The file's bytes, or none when it cannot be read.
QByteArray ReadFile(const QString& path);
// Makes the folders on the way; a file that cannot be written fails the test.
void WriteFile(const QString& path, const QByteArray& bytes);
// Copies a file or a bundle folder into the folder, which it makes first.
void CopyInto(const QString& from, const QString& folder);
// Links, made in `folder`, to what the plug-in packages of tools/install-deps.sh
// install directly in `installed`: a test that scans them holds whatever else a
// machine has installed there. The folder stays empty when none is installed.
QString LinkPackaged(const QString& installed, const QString& folder);
// Sets the file's last-modified time; a file that cannot be opened fails the test.
void SetModified(const QString& path, const QDateTime& time);
// A bound on waiting for another process, so that a fault fails instead of hanging.
bool WaitUntil(const std::function<bool()>& condition);

struct ProcessResult
{
    int exitCode = -1; // -1 when the process crashed or did not end
    QString out;
    QString err;
};
// A child that any thread of the process started (plugcat starts the scanner
// from a thread of its own); 0 when there is none.
qint64 ChildOf(qint64 process);
// A run that has not ended after timeoutMs is killed, and fails the test.
ProcessResult RunProcess(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                         int timeoutMs = 300000);
// The build's plugcat on a preferences root of the test's own.
ProcessResult Plugcat(const QString& prefs, const QStringList& arguments,
                      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                      int timeoutMs = 300000);
// The entries of plugcat's JSON catalogue (scan --json, list --json) by id.
std::map<QString, QJsonObject> CatalogueById(const QString& json);
} // namespace TestSupport
