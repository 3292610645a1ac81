#pragma once

#include <QByteArray>
#include <QString>

namespace FileUtilities
{
// Replaces the file with the bytes through a temporary file beside it, so that
// a crash at any instant leaves either the old or the new file and never a
// truncated one; see Platform::ReplaceFile for links, modes and what is never
// replaced. False, with the reason traced, when it cannot be written.
bool WriteAtomically(const QString& path, const QByteArray& bytes);

// The file's last-modified local time as "yyyy-MM-dd hh:mm"; results are
// reused while this text is unchanged. Empty for a missing file.
QString FileTimeText(const QString& path);

// A file name stem made from a plug-in's own name for a marker file: no folder
// separators or characters a file system or a listing trips over, never
// hidden, and short enough to leave room for a suffix of suffixBytes.
QString SafeFileStem(const QString& name, int suffixBytes);

// The version in a shell file's name, "WaveShell<n>-<format> <version>...";
// 0 for a name that does not follow the pattern. Read the same whatever the
// user's locale writes as a decimal point.
float ShellFileVersion(const QString& fileName, const QString& format);

// A plug-in's display name made from its file path: the file name up to its
// last ".", with the first "x64", "_64" and " 64bit" removed in that order.
// False, leaving name alone, when the path has no "." at all.
bool PluginNameFromPath(const QString& path, QString& name);
} // namespace FileUtilities
