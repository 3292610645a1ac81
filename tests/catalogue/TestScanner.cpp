// Stands in for PlugSweep where a test needs a scanner whose runs it
// controls. It takes the request path like the real one and works in the
// request's folder, the effects folder:
//  - appends one line to "runs.log" per run and writes its pid to "scanner.pid";
//  - deletes the markers it finds, as the real scanner records them and moves on;
//  - reads "testscanner.txt": the number of runs that crash (leaving a marker
//    and exiting abnormally), then optional words: "hang" (run until killed);
//    "scribble" or "found" (overwrite FXConfiguration.xml with text that is no
//    XML, or with a whole result file); "exit=N" or "signal=N" (how a run past
//    the crashing ones ends, instead of with 0).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace
{
QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::Append)
{
    QFile file(path);
    if (file.open(mode))
        file.write(bytes);
}

int Finish(const QDir& effects, const QList<QByteArray>& control)
{
    if (control.contains("scribble"))
        Write(effects.filePath("FXConfiguration.xml"), "scribbled", QIODevice::WriteOnly);
    if (control.contains("found"))
        Write(effects.filePath("FXConfiguration.xml"), "<Effects/>", QIODevice::WriteOnly);
    for (const QByteArray& word : control)
    {
        if (word.startsWith("exit="))
            return word.mid(5).toInt();
        if (word.startsWith("signal="))
            std::raise(word.mid(7).toInt());
    }
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2)
        return 2;
    QDir effects = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteDir();
    Write(effects.filePath("runs.log"), "run\n");
    Write(effects.filePath("scanner.pid"), QByteArray::number(qint64(getpid())), QIODevice::WriteOnly);
    const int run = ReadAll(effects.filePath("runs.log")).count('\n');
    for (const QString& marker : effects.entryList({"*.scan", "*.scan3"}, QDir::Files))
        effects.remove(marker);

    const QList<QByteArray> control = ReadAll(effects.filePath("testscanner.txt")).simplified().split(' ');
    if (control.contains("hang"))
        QThread::sleep(600);
    if (run > control.value(0).toInt())
        return Finish(effects, control);
    Write(effects.filePath(QString("Crashing Plugin %1.scan").arg(run)), "<CrashedPlugin/>");
    std::_Exit(134);
}
