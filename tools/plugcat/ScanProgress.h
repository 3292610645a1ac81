#pragma once

#include <QSet>
#include <QString>
#include <QTextStream>

// Tells the user what the scanner is doing while plugcat waits for it: each
// new scanner run, and each plug-in being probed, which the scanner names in
// the crash marker it leaves in the effects folder for the probe's duration.
class ScanProgress
{
public:
    ScanProgress(QString effectsFolder, QTextStream& out)
        : m_effectsFolder(std::move(effectsFolder)), m_out(out)
    {
    }

    void Update(int scannerRuns);

private:
    void ReportMarker(const QString& markerPath);

    const QString m_effectsFolder;
    QTextStream& m_out;
    int m_runs = 0;
    QSet<QString> m_reported;
};
