#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace TestSupport
{
QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

void CopyInto(const QString& from, const QString& folder)
{
    QDir().mkpath(folder);
    EXPECT_EQ(QProcess::execute("cp", {"-r", from, folder}), 0) << from.toStdString();
}

void SetModified(const QString& path, const QDateTime& time)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << path.toStdString();
    EXPECT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime)) << path.toStdString();
}

QString LinkPackaged(const QString& installed, const QString& folder)
{
    QDir().mkpath(folder);
    QProcess query;
    query.start("dpkg-query", {"--listfiles", "lsp-plugins-vst", "dragonfly-reverb-vst", "zam-plugins"});
    // Without dpkg, or with none of the packages, the folder stays empty; a
    // package that is not installed only adds its complaint to standard error.
    query.waitForFinished();
    for (const QString& path : QString::fromUtf8(query.readAllStandardOutput()).split('\n'))
        if (QFileInfo(path).path() == installed)
            QFile::link(path, folder + "/" + QFileInfo(path).fileName());
    return folder;
}

bool WaitUntil(const std::function<bool()>& condition)
{
    for (int step = 0; step < 6000; ++step)
    {
        if (condition())
            return true;
        QThread::msleep(10);
    }
    return condition();
}

qint64 ChildOf(qint64 process)
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(process);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
    {
        QFile children(tasks + "/" + task + "/children");
        if (children.open(QIODevice::ReadOnly))
            if (const qint64 child = children.readAll().trimmed().split(' ').value(0).toLongLong())
                return child;
    }
    return 0;
}

ProcessResult RunProcess(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    EXPECT_TRUE(finished) << program.toStdString() << " " << arguments.join(' ').toStdString();
    if (!finished)
    {
        process.kill();
        process.waitForFinished();
    }
    return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

ProcessResult Plugcat(const QString& prefs, const QStringList& arguments,
                      const QProcessEnvironment& environment, int timeoutMs)
{
    return RunProcess(BinDir() + "/plugcat", QStringList{"--prefs", prefs} + arguments, environment,
                      timeoutMs);
}

std::map<QString, QJsonObject> CatalogueById(const QString& json)
{
    std::map<QString, QJsonObject> byId;
    for (const QJsonValue& entry : QJsonDocument::fromJson(json.toUtf8()).array())
        byId[entry["id"].toString()] = entry.toObject();
    return byId;
}
} // namespace TestSupport
