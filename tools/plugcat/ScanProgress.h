#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTextStream>

// Tells the user what the scanner is doing while plugcat waits for it: each
// new scanner run, and each plug-in being probed, which the scanner names in
// the crash marker it leaves in the effects folder (or, for a job of a
// parallel scan, the job's folder) for the probe's duration.
// On a terminal that is one line kept up to date, with how far the scan has
// got through the plug-in files of its folders; elsewhere one line per event.
class ScanProgress
{
public:
    // terminalColumns is 0 when the output is no terminal.
    // markerFolders are where the scanners leave their markers.
    ScanProgress(QStringList markerFolders, const QStringList& folders, QTextStream& out,
                 int terminalColumns);

    void Update(int scannerRuns);
    // Clears the progress line, so that what follows starts on a clean one.
    void Finish();
    double Seconds() const { return double(m_clock.elapsed()) / 1000.0; }

private:
    // The files the scanner walks, VST 3 and then VST 2, in its order.
    void ListCandidates(const QStringList& folders);
    void ReportMarker(const QString& markerPath);
    void ShowLine();

    const QStringList m_markerFolders;
    QTextStream& m_out;
    const int m_columns;
    QElapsedTimer m_clock;
    int m_runs = 0;
    QSet<QString> m_reported;
    // File name to its place in the scan's order.
    QHash<QString, int> m_positions;
    int m_total = 0;
    int m_done = 0;
    QString m_probing;
    QString m_shown;
};
