// Scans at scale, through the real programs: N renamed copies of the VST 2
// bench fixture, each a plug-in named after its file. For 1,000 to 10,000
// plug-ins it prints the scanner's first scan and its rescan with nothing
// changed, the time per probe, plugcat's list of the catalogue and the
// scanner's peak resident memory; then, on a smaller corpus, one scanner for
// the whole corpus against one scanner process per plug-in file. Figures only.
//
// Usage: scale_bench [SIZES...]   (default 1000 2000 5000 10000)

#include "Core/BaseLib/FolderListing.h"
#include "Core/BaseLib/ScanRequestFile.h"
#include "Platform/ProcessUsage.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace
{
constexpr int kPerFileCorpus = 200;

QString Bench()
{
    return TestSupport::Vst2FixtureDir() + QStringLiteral("/bench/Bench.so");
}

// Adds copies until the folder holds count plug-ins.
void FillCorpus(const QString& folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i)
    {
        const QString copy = folder + QStringLiteral("/Bench%1.so").arg(i, 5, 10, QLatin1Char('0'));
        if (!QFile::exists(copy) && !QFile::copy(Bench(), copy))
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(copy));
    }
}

// How long a program ran, from start to exit, and the processor time it
// used: on a shared machine the second is the figure to compare.
struct Timing
{
    double wallMs = 0;
    double cpuMs = 0;
};

Timing Run(const QString& program, const QStringList& arguments)
{
    const double cpuBefore = Platform::ChildProcessorMs();
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        std::fprintf(stderr, "%s failed: exit %d\n", qPrintable(program), process.exitCode());
    return {double(timer.nsecsElapsed()) / 1e6, Platform::ChildProcessorMs() - cpuBefore};
}

// A preferences root whose request names the folders; answers the request's path.
QString MakeRequest(const QString& root, const QStringList& folders)
{
    const QString request = root + QStringLiteral("/Effects/") + QLatin1String(ScanRequestFile::kFileName);
    QDir().mkpath(root + QStringLiteral("/Effects"));
    ScanRequestFile::Write(request.toStdWString(), folders);
    return request;
}

Timing Scanner(const QString& request)
{
    return Run(TestSupport::BinDir() + QStringLiteral("/PlugSweep"), {request});
}

void ScaleRow(const QString& base, int size, const Timing& start)
{
    const QString corpus = base + QStringLiteral("/corpus");
    FillCorpus(corpus + QString::number(size), size);
    const QString prefs = base + QStringLiteral("/prefs") + QString::number(size);
    const QString request = MakeRequest(prefs, {corpus + QString::number(size)});
    const Timing first = Scanner(request);
    const std::int64_t peakKiB = Platform::PeakChildResidentKiB();
    const Timing rescan = Scanner(request);
    const Timing list = Run(TestSupport::BinDir() + QStringLiteral("/plugcat"),
                            {QStringLiteral("--prefs"), prefs, QStringLiteral("list")});
    std::printf("%8d  %8.0f %7.0f %8.3f  %7.1f %7.1f %7.1f  %7.1f %7.1f  %8.1f\n", size, first.wallMs,
                first.cpuMs, (first.cpuMs - start.cpuMs) / size, rescan.wallMs, rescan.cpuMs,
                rescan.cpuMs - start.cpuMs, list.wallMs, list.cpuMs, double(peakKiB) / 1024);
    std::fflush(stdout);
}

// One scanner for the corpus, against one scanner started per plug-in file,
// each over a folder that holds only that file.
void PerFileRow(const QString& base)
{
    const QString corpus = base + QStringLiteral("/perfile");
    FillCorpus(corpus + QStringLiteral("/all"), kPerFileCorpus);
    const Timing one = Scanner(MakeRequest(base + QStringLiteral("/prefs-one"), {corpus + "/all"}));
    Timing each;
    for (int i = 0; i < kPerFileCorpus; ++i)
    {
        const QString folder = corpus + QStringLiteral("/file") + QString::number(i);
        QDir().mkpath(folder);
        QFile::copy(Bench(), folder + QStringLiteral("/Bench%1.so").arg(i, 5, 10, QLatin1Char('0')));
        const Timing file =
            Scanner(MakeRequest(base + QStringLiteral("/prefs-file") + QString::number(i), {folder}));
        each.wallMs += file.wallMs;
        each.cpuMs += file.cpuMs;
    }
    std::printf("\n%d plug-ins, one scanner for all: %.0f ms (%.0f ms processor); one scanner per file: "
                "%.0f ms (%.0f ms processor); %.1fx (%.1fx)\n",
                kPerFileCorpus, one.wallMs, one.cpuMs, each.wallMs, each.cpuMs, each.wallMs / one.wallMs,
                each.cpuMs / one.cpuMs);
}
// The installed plug-ins, as a first scan finds them: plugcat with one and
// with two scanner processes, against one scanner process started per file,
// the way hosts that scan each file in a process of its own work.
void JobsRows(const QString& base, const QStringList& folders)
{
    // As the scanner walks them: bundles are files, and nothing inside one is looked at.
    QStringList files;
    for (const QString& pattern : {QStringLiteral("*.so"), QStringLiteral("*.vst3")})
    {
        FolderListing listing(QStringLiteral(".vst3"));
        for (const QString& folder : folders)
            listing.List(files, folder, {pattern}, true);
    }
    if (files.isEmpty())
        return;
    const QString plugcat = TestSupport::BinDir() + QStringLiteral("/plugcat");
    std::printf("\nfirst scan of the %lld installed plug-in files in %s:\n", qlonglong(files.size()),
                qPrintable(folders.join(QStringLiteral(", "))));
    double jobsMs[3] = {};
    for (const int jobs : {1, 2})
    {
        const QString prefs = base + QStringLiteral("/installed-jobs") + QString::number(jobs);
        const double peakBefore = double(Platform::PeakChildResidentKiB());
        jobsMs[jobs] = Run(plugcat, QStringList{QStringLiteral("--prefs"), prefs, QStringLiteral("scan"),
                                                QStringLiteral("--jobs"), QString::number(jobs)} +
                                        folders)
                           .wallMs;
        std::printf("  plugcat scan --jobs %d: %8.0f ms   (largest scanner so far %.1f MiB, before %.1f)\n",
                    jobs, jobsMs[jobs], double(Platform::PeakChildResidentKiB()) / 1024, peakBefore / 1024);
    }
    double eachMs = 0;
    for (int i = 0; i < files.size(); ++i)
    {
        const QString folder = base + QStringLiteral("/installed-file") + QString::number(i);
        QDir().mkpath(folder);
        QFile::link(files[i], folder + QLatin1Char('/') + QFileInfo(files[i]).fileName());
        eachMs += Scanner(MakeRequest(folder + QStringLiteral("-prefs"), {folder})).wallMs;
    }
    std::printf("  one PlugSweep per file: %8.0f ms\n", eachMs);
    std::printf("  --jobs 2 against --jobs 1: %.2fx; against one scanner per file: %.2fx\n",
                jobsMs[1] / jobsMs[2], eachMs / jobsMs[2]);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (const QString& argument : app.arguments().mid(1))
        sizes.push_back(argument.toInt());
    if (sizes.empty())
        sizes = {1000, 2000, 5000, 10000};

    QTemporaryDir base;
    QDir().mkpath(base.filePath(QStringLiteral("empty")));
    const Timing start =
        Scanner(MakeRequest(base.filePath(QStringLiteral("prefs-empty")), {base.filePath("empty")}));
    std::printf("scanner start and end with nothing to scan: %.1f ms, %.1f ms processor (subtracted where "
                "marked *)\n\n",
                start.wallMs, start.cpuMs);
    std::printf("          first scan                 rescan, nothing changed  plugcat list      scanner\n");
    std::printf("plug-ins  wall ms  cpu ms  cpu/probe* wall ms  cpu ms cpu ms*  wall ms  cpu ms  peak MiB\n");
    for (const int size : sizes)
        ScaleRow(base.path(), size, start);
    PerFileRow(base.path());
    JobsRows(base.path(), {QStringLiteral("/usr/lib/vst"), QStringLiteral("/usr/lib/vst3")});
    std::printf("\npeak resident memory of this program: %.1f MiB\n",
                double(Platform::PeakResidentKiB()) / 1024);
    return 0;
}
