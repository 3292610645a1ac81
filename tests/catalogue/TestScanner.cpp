// Stands in for PlugSweep where a test needs a scanner whose runs it
// controls. It takes the request path like the real one and works in the
// request's folder, the effects folder:
//  - appends one line to "runs.log" per run and writes its pid to "scanner.pid";
//  - deletes the markers it finds, as the real scanner records them and moves on;
//  - reads "testscanner.txt": the number of runs that crash, and optional
//    words "hang" (run until killed) and "hold" (a crashing run keeps its
//    marker in place until a file "release" appears, and takes it away);
//    a run past the crashing ones ends as "exit=N" or "signal=N" says, or
//    with 0, after overwriting FXConfiguration.xml with text that is no XML
//    if "scribble" is given, or with a whole result file if "found" is.
// A crashing run leaves a marker naming "Crashing Plugin <run>" and exits
// abnormally.
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

void WaitFor(const QString& path)
{
    for (int step = 0; step < 3000 && !QFileInfo::exists(path); ++step)
        QThread::msleep(20);
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
    const QString name = QString("Crashing Plugin %1").arg(run);
    Write(effects.filePath(name + ".scan"),
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CrashedPlugin>\n\t<Path>/plugins/" + name.toUtf8() +
              ".so</Path>\n\t<Created>2024-01-01 10:00</Created>\n\t<Name>" + name.toUtf8() +
              "</Name>\n</CrashedPlugin>\n");
    if (control.contains("hold"))
    {
        WaitFor(effects.filePath("release"));
        effects.remove("release");
    }
    std::_Exit(134);
}
