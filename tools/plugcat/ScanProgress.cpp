#include "tools/plugcat/ScanProgress.h"

#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"

#include <QDir>

void ScanProgress::Update(int scannerRuns)
{
    while (m_runs < scannerRuns)
    {
        m_out << QStringLiteral("Scanner run %1\n").arg(++m_runs);
        // A plug-in probed again in a later run is news again.
        m_reported.clear();
    }
    const QDir folder(m_effectsFolder);
    for (const QString& name :
         folder.entryList({QStringLiteral("*.scan"), QStringLiteral("*.scan3")}, QDir::Files))
        ReportMarker(folder.filePath(name));
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
        m_out << QStringLiteral("  probing %1 (%2)\n").arg(name, path);
        m_reported.insert(markerPath);
    }
    catch (const XMLException&)
    {
    }
}
