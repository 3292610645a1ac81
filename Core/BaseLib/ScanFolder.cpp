#include "Core/BaseLib/ScanFolder.h"

#include <QDir>
#include <QFileInfo>

ScanFolder::ScanFolder(const QString& folder)
    : m_prefix(PrefixOf(folder)), m_absolutePrefix(PrefixOf(QDir::cleanPath(QDir(folder).absolutePath())))
{
    const QFileInfo info(folder);
    // An empty entry names no folder at all, so it holds nothing to keep.
    m_unavailable = !folder.isEmpty() && !(info.isDir() && info.isReadable() && info.isExecutable());
}

bool ScanFolder::Holds(const QString& path) const
{
    return path.startsWith(m_prefix) || path.startsWith(m_absolutePrefix);
}

QString ScanFolder::PrefixOf(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
