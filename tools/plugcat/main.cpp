#include "Platform/StandardStreams.h"
#include "tools/plugcat/Plugcat.h"

#include <QApplication>
#include <QTextStream>
#include <cstring>
#include <vector>

namespace
{
// Qt's own notices (the display-less platform complains about its runtime
// folder) would bury plugcat's output; they show only with --verbose.
void QuietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

bool Verbose(int argc, char* argv[])
{
    for (int index = 1; index < argc; ++index)
        if (std::strcmp(argv[index], "--verbose") == 0)
            return true;
    return false;
}
} // namespace

int main(int argc, char* argv[])
{
    if (!Verbose(argc, argv))
        qInstallMessageHandler(QuietMessages);
    // Plug-ins, and the engine's speaker-arrangement trace, print to standard
    // output; plugcat's own output must stay parseable whatever they print.
    std::FILE* out = Platform::TakeStandardOutput();
    // Menus are widgets, but plugcat never shows one: it needs no display.
    std::vector<char*> arguments(argv, argv + argc);
    char platformOption[] = "-platform";
    char platform[] = "offscreen";
    arguments.insert(arguments.begin() + 1, {platformOption, platform});
    int count = int(arguments.size());
    QApplication application(count, arguments.data());

    QString error;
    const PlugcatOptions options = PlugcatOptions::Parse(application.arguments().mid(1), error);
    if (!error.isEmpty())
    {
        QTextStream(stderr) << "plugcat: " << error << "\n\n" << PlugcatOptions::Usage();
        return Plugcat::kExitUsage;
    }
    return Plugcat(options, out ? out : stdout).Run();
}
