#include "Core/BaseLib/ScanRequestFile.h"

#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Core/BaseLib/XML/XMLNodes.h"
#include "Core/BaseLib/XML/XMLText.h"

#include <QFileInfo>

QStringList ScanRequestFile::Read(const std::wstring& path)
{
    QStringList folders;
    if (!QFileInfo::exists(QString::fromStdWString(path)))
        return folders;
    try
    {
        XMLDocument document;
        document.Load(path.c_str());
        const auto paths = document.GetChild(L"Scan")->GetChildren(L"Path");
        for (int i = 0; i < paths->GetCount(); ++i)
            folders << paths->GetAt(i)->GetQText();
    }
    catch (const XMLException&)
    {
        folders.clear();
    }
    return folders;
}

QByteArray ScanRequestFile::Format(const QStringList& folders)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Scan>\n";
    for (const QString& folder : folders)
        text += "\t<Path>" + XMLText::Escape(folder) + "</Path>\n";
    text += "</Scan>\n";
    return text;
}

bool ScanRequestFile::Write(const std::wstring& path, const QStringList& folders)
{
    return FileUtilities::WriteAtomically(QString::fromStdWString(path), Format(folders));
}
