#include "Core/BaseLib/FileUtilities.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace FileUtilities
{
// Replacing by name is what keeps the file whole for a process that dies at
// any instant; no sync to disk is forced, since a scan rewrites its results
// after every plug-in and waiting for the disk each time would dominate it.
bool WriteAtomically(const QString& path, const QByteArray& bytes)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : path.left(slash);
    QTemporaryFile file(folder + QStringLiteral("/.") + path.mid(slash + 1) + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    const QByteArray from = QFile::encodeName(file.fileName());
    const QByteArray to = QFile::encodeName(path);
    // Swapping the two files is as atomic as renaming over the old one, but
    // it does not make the file system push the new data to disk first; the
    // temporary name then holds the old contents and is removed with it.
    if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0)
        return true;
    if (std::rename(from.constData(), to.constData()) != 0)
        return false;
    file.setAutoRemove(false);
    return true;
}

// Scans ask this of every plug-in file; the C library converts to local time
// without reading the time zone again for each call.
QString FileTimeText(const QString& path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    std::tm local{};
    localtime_r(&status.st_mtime, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return QString::fromLatin1(text);
}

QString SafeFileStem(const QString& name, int suffixBytes)
{
    constexpr int kMaxFileNameBytes = 255;
    QString stem = name;
    for (QChar& c : stem)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    if (stem.isEmpty() || stem.startsWith(QLatin1Char('.')))
        stem.prepend(QLatin1Char('_'));
    while (stem.toUtf8().size() + suffixBytes > kMaxFileNameBytes)
    {
        stem.chop(1);
        if (!stem.isEmpty() && stem.at(stem.size() - 1).isHighSurrogate())
            stem.chop(1);
    }
    return stem;
}

float ShellFileVersion(const QString& fileName, const QString& format)
{
    const QRegularExpression pattern(QStringLiteral("^WaveShell\\s*[+-]?\\d+-") +
                                     QRegularExpression::escape(format) +
                                     QStringLiteral("\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    return match.hasMatch() ? QLocale::c().toFloat(match.captured(1)) : 0.0f;
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
