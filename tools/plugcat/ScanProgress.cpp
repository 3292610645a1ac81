#include "tools/plugcat/ScanProgress.h"

#include "Core/BaseLib/AudioPlugins/ScannerRun.h"
#include "Core/BaseLib/FolderListing.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Platform/Library.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace
{
const QString kBundleSuffix = QStringLiteral(".vst3");
} // namespace

ScanProgress::ScanProgress(QStringList markerFolders, const QStringList& folders, QTextStream& out,
                           int terminalColumns)
    : m_markerFolders(std::move(markerFolders)), m_out(out), m_columns(terminalColumns)
{
    m_clock.start();
    if (m_columns > 0)
        ListCandidates(folders);
}

// As the format hosts do, a file name met again in a later folder is not
// probed again, and nothing inside a bundle is looked at. Files are known by
// their names, as the crash markers name them by whatever path the scanner
// was given.
void ScanProgress::ListCandidates(const QStringList& folders)
{
    for (const QString& pattern :
         {QStringLiteral("*.vst3"), QLatin1Char('*') + QLatin1String(Platform::LibrarySuffix())})
    {
        FolderListing listing(kBundleSuffix);
        for (const QString& folder : folders)
            for (const QString& path : listing.List(QDir(folder).absolutePath(), {pattern}, true))
                if (!m_positions.contains(QFileInfo(path).fileName()))
                    m_positions.insert(QFileInfo(path).fileName(), m_total++);
    }
}

void ScanProgress::Update(int scannerRuns)
{
    while (m_runs < scannerRuns)
    {
        ++m_runs;
        if (m_columns == 0)
            m_out << QStringLiteral("Scanner run %1\n").arg(m_runs);
        // A plug-in probed again in a later run is news again.
        m_reported.clear();
    }
    for (const QString& markerFolder : m_markerFolders)
    {
        const QDir folder(markerFolder);
        for (const QString& name : folder.entryList(ScannerRun::MarkerPatterns(), QDir::Files))
            ReportMarker(folder.filePath(name));
    }
    if (m_columns > 0)
        ShowLine();
    m_out.flush();
}

void ScanProgress::ReportMarker(const QString& markerPath)
{
    if (m_reported.contains(markerPath))
        return;
    try
    {
        XMLDocument marker;
        marker.Load(markerPath.toStdWString().c_str());
        const std::unique_ptr<XMLNode> root = marker.GetChild(L"CrashedPlugin");
        const QString name = root->GetChild(L"Name")->GetQText();
        const QString path = root->GetChild(L"Path")->GetQText();
        // Half written: try again on the next update.
        if (name.isEmpty() && path.isEmpty())
            return;
        m_reported.insert(markerPath);
        if (m_columns == 0)
            m_out << QStringLiteral("  probing %1 (%2)\n").arg(name, path);
        m_probing = name;
        m_done = std::max(m_done, m_positions.value(QFileInfo(path).fileName(), m_done));
    }
    catch (const XMLException&)
    {
    }
}

void ScanProgress::ShowLine()
{
    QString line =
        QStringLiteral("[%1/%2] run %3, %4 s").arg(m_done).arg(m_total).arg(m_runs).arg(int(Seconds()));
    if (!m_probing.isEmpty())
        line += QStringLiteral(", probing ") + m_probing;
    // A line longer than the terminal would wrap, and the carriage return
    // would then rewrite only its last part.
    line.truncate(m_columns - 1);
    if (line == m_shown)
        return;
    m_shown = line;
    m_out << "\r\033[K" << line;
}

void ScanProgress::Finish()
{
    if (m_columns > 0 && !m_shown.isEmpty())
        m_out << "\r\033[K";
    m_shown.clear();
    m_out.flush();
}
