#pragma once

#include <QString>

// A plug-in folder of a scan. One that is missing or cannot be read, such as
// a disk that is not mounted or a network share that is down, says nothing
// about the plug-ins it held, so a scan keeps what it knew of them instead of
// dropping them with their crash history and the user's choices.
class ScanFolder
{
public:
    explicit ScanFolder(const QString& folder);

    bool Unavailable() const { return m_unavailable; }
    // Whether the file lies in the folder or below it, as the folder was
    // written then or now.
    bool Holds(const QString& path) const;

private:
    static QString PrefixOf(const QString& folder);

    QString m_prefix;
    QString m_absolutePrefix;
    bool m_unavailable = false;
};
