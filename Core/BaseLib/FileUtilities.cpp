#include "Core/BaseLib/FileUtilities.h"

#include "Core/BaseLib/Debug.h"
#include "Platform/FileSystem.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <ctime>

namespace FileUtilities
{
// Replacing by name is what keeps the file whole for a process that dies at
// any instant; no sync to disk is forced, since a scan rewrites its results
// after every plug-in and waiting for the disk each time would dominate it.
bool WriteAtomically(const QString& path, const QByteArray& bytes)
{
    const std::string error =
        Platform::ReplaceFile(QFile::encodeName(path).toStdString(), bytes.constData(), size_t(bytes.size()));
    if (!error.empty())
        DebugOut("FileUtilities - Not written: %s", error.c_str());
    return error.empty();
}

// Scans ask this of every plug-in file; the C library converts to local time
// without reading the time zone again for each call.
QString FileTimeText(const QString& path)
{
    std::tm local{};
    if (!Platform::LocalModificationTime(QFile::encodeName(path).toStdString(), local))
        return {};
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
