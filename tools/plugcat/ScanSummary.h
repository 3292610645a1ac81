#pragma once

#include <QString>
#include <map>

// What a scan changed in the catalogue, from the result files before and
// after it: how many plug-ins it found, which of them are new, changed or as
// they were, and which crashed or hung the scanner.
class ScanSummary
{
public:
    struct Counts
    {
        int found = 0;
        int added = 0;
        int changed = 0;
        int unchanged = 0;
        // Not working now, and working or unknown before.
        int crashed = 0;
        int notWorking = 0;
    };

    // Reads the results as they are before the scan.
    explicit ScanSummary(QString effectsFolder);

    Counts Compare() const;
    // One line: the counts and how long the scan took.
    QString Text(double seconds) const;

private:
    struct State
    {
        QString fileTime;
        bool working = true;
    };
    // By file path and plug-in id: a shell file holds several plug-ins.
    using Snapshot = std::map<QString, State>;

    static Snapshot Read(const QString& effectsFolder);

    const QString m_effectsFolder;
    const Snapshot m_before;
};
