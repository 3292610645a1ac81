#include "Core/BaseLib/FolderListing.h"

#include <QDir>
#include <QFileInfo>

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

    const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase;
    for (const QString& name : dir.entryList(nameFilters, QDir::AllEntries | QDir::NoDotAndDotDot, order))
        out << folder + QLatin1Char('/') + name;
    if (!recursive)
        return;
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, order))
    {
        if (!m_skipSuffix.isEmpty() && name.endsWith(m_skipSuffix, Qt::CaseInsensitive))
            continue;
        List(out, folder + QLatin1Char('/') + name, nameFilters, recursive);
    }
}

QStringList FolderListing::List(const QString& folder, const QStringList& nameFilters, bool recursive)
{
    QStringList out;
    List(out, folder, nameFilters, recursive);
    return out;
}
