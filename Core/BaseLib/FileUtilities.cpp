#include "Core/BaseLib/FileUtilities.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>

namespace FileUtilities
{
bool WriteAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

QString FileTimeText(const QString& path)
{
    const QDateTime modified = QFileInfo(path).lastModified();
    return modified.isValid() ? modified.toString(QStringLiteral("yyyy-MM-dd hh:mm")) : QString();
}

bool PluginNameFromPath(const QString& path, QString& name)
{
    const int lastDot = path.lastIndexOf(QLatin1Char('.'));
    if (lastDot < 0)
        return false;
    const int start = path.lastIndexOf(QLatin1Char('/')) + 1;
    QString result = lastDot >= start ? path.mid(start, lastDot - start) : path.mid(start);
    for (const char* noise : {"x64", "_64", " 64bit"})
    {
        const int at = result.indexOf(QLatin1String(noise));
        if (at >= 0)
            result.remove(at, int(qstrlen(noise)));
    }
    name = result;
    return true;
}
} // namespace FileUtilities
