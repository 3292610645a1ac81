#include "Core/BaseLib/FolderListing.h"

#include "Platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegExp>
#include <algorithm>
#include <vector>

namespace
{
// A name filter as QDir applies it: a wildcard, case-insensitive. The usual
// "*.ext" is a plain suffix test; building a pattern per name would cost
// more than listing the folder.
struct NameFilter
{
    explicit NameFilter(const QString& filter)
        : suffix(filter.mid(1)), pattern(filter, Qt::CaseInsensitive, QRegExp::Wildcard),
          plainSuffix(filter.startsWith(QLatin1Char('*')) &&
                      !suffix.contains(QRegExp(QStringLiteral("[*?\\[\\]]"))))
    {
    }
    bool Matches(const QString& name) const
    {
        return plainSuffix ? name.endsWith(suffix, Qt::CaseInsensitive) : pattern.exactMatch(name);
    }

    QString suffix;
    mutable QRegExp pattern;
    bool plainSuffix;
};

// No filter at all lets every name through, as in QDir.
bool MatchesAny(const std::vector<NameFilter>& filters, const QString& name)
{
    if (filters.empty())
        return true;
    for (const NameFilter& filter : filters)
        if (filter.Matches(name))
            return true;
    return false;
}

struct Entry
{
    QString name;
    QString sortKey;
    bool isDir;
};

// The folder's entries in the order QDir gives them when it sorts by name
// ignoring case: its unstable sort of the lower-case names, over the same
// unsorted listing. Listing through the system and sorting plain names costs
// a fraction of QDir's file information records.
std::vector<Entry> SortedEntries(const QString& folder)
{
    std::vector<Platform::FolderEntry> listed;
    Platform::ListFolder(QFile::encodeName(folder).toStdString(), listed);
    std::vector<Entry> entries;
    entries.reserve(listed.size());
    for (const Platform::FolderEntry& item : listed)
    {
        QString name = QFile::decodeName(item.name.c_str());
        QString sortKey = name.toLower();
        entries.push_back({std::move(name), std::move(sortKey), item.isFolder});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.sortKey.compare(b.sortKey) < 0; });
    return entries;
}
} // namespace

// A relative folder is taken from the working folder and listed absolutely,
// so that the results name the same files wherever they are read.
void FolderListing::List(QStringList& out, const QString& relativeOrAbsolute, const QStringList& nameFilters,
                         bool recursive)
{
    // An empty folder name names no folder, not the working folder.
    if (relativeOrAbsolute.isEmpty())
        return;
    const QString folder = QFileInfo(relativeOrAbsolute).isRelative()
                               ? QDir(relativeOrAbsolute).absolutePath()
                               : relativeOrAbsolute;
    const QDir dir(folder);
    if (!dir.exists())
        return;
    const QString real = QFileInfo(folder).canonicalFilePath();
    if (m_visited.contains(real))
        return;
    m_visited.insert(real);

    // One pass over the folder serves both the matches and the subfolders;
    // a plug-in folder can hold thousands of entries. The matches keep the
    // order of the whole listing, which is that of a filtered one.
    const std::vector<Entry> entries = SortedEntries(folder);
    const std::vector<NameFilter> filters(nameFilters.begin(), nameFilters.end());
    for (const Entry& entry : entries)
        if (MatchesAny(filters, entry.name))
            out << folder + QLatin1Char('/') + entry.name;
    if (!recursive)
        return;
    for (const Entry& entry : entries)
    {
        if (!entry.isDir ||
            (!m_skipSuffix.isEmpty() && entry.name.endsWith(m_skipSuffix, Qt::CaseInsensitive)))
            continue;
        List(out, folder + QLatin1Char('/') + entry.name, nameFilters, recursive);
    }
}

QStringList FolderListing::List(const QString& folder, const QStringList& nameFilters, bool recursive)
{
    QStringList out;
    List(out, folder, nameFilters, recursive);
    return out;
}
