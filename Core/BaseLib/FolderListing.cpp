#include "Core/BaseLib/FolderListing.h"

#include <QDir>
#include <QFileInfo>

void FolderListing::List(QStringList& out, const QString& folder, const QStringList& nameFilters, bool recursive)
{
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
