#include "Main/AudioEngineController/Effects/VST3/VST3CrashMarker.h"

#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Core/BaseLib/XML/XMLText.h"

#include <QFile>

namespace
{
const QString kSuffix = QStringLiteral(".scan3");
}

QString VST3CrashMarker::PathFor(const QString& effectsFolder, const std::wstring& name)
{
    return effectsFolder + QLatin1Char('/') +
           FileUtilities::SafeFileStem(QString::fromStdWString(name), kSuffix.size()) + kSuffix;
}

void VST3CrashMarker::Write(const QString& markerPath, const std::string& modulePath,
                            const std::string& fileTime, const std::wstring& name)
{
    QFile file(markerPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CrashedPlugin>\n");
    file.write("\t<Path>" + XMLText::Escape(modulePath) + "</Path>\n");
    file.write("\t<Created>" + XMLText::Escape(fileTime) + "</Created>\n");
    file.write("\t<Name>" + XMLText::Escape(name) + "</Name>\n");
    file.write("</CrashedPlugin>\n");
}

VST3EffectRecord VST3CrashMarker::Read(const QString& markerPath)
{
    VST3EffectRecord record;
    record.enabled = false;
    try
    {
        XMLDocument document;
        document.Load(markerPath.toStdWString().c_str());
        const std::unique_ptr<XMLNode> root = document.GetChild(L"CrashedPlugin");
        record.path = root->GetChild(L"Path")->GetUtf8Text();
        record.fileTime = root->GetChild(L"Created")->GetUtf8Text();
        record.name = root->GetChild(L"Name")->GetText();
    }
    catch (const XMLException&)
    {
    }
    QFile::remove(markerPath);
    return record;
}
