#include "Main/AudioEngineController/Effects/VST/VstCrashMarker.h"

#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Core/BaseLib/XML/XMLText.h"

#include <QFile>

VstCrashMarker::VstCrashMarker(const QString& effectsFolder, const QString& pluginPath,
                               const QString& fileTime, const QString& name, std::uint32_t subId)
    : m_filePath(effectsFolder + QLatin1Char('/') + FileNameFor(name) + QLatin1String(kSuffix))
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CrashedPlugin>\n";
    text += "\t<Path>" + XMLText::Escape(pluginPath) + "</Path>\n";
    text += "\t<Created>" + XMLText::Escape(fileTime) + "</Created>\n";
    text += "\t<Name>" + XMLText::Escape(name) + "</Name>\n";
    if (subId != 0)
        text += "\t<SubID>" + QByteArray::number(std::int32_t(subId)) + "</SubID>\n";
    text += "</CrashedPlugin>\n";
    QFile file(m_filePath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

void VstCrashMarker::Remove()
{
    QFile::remove(m_filePath);
}

QString VstCrashMarker::FileNameFor(const QString& name)
{
    return FileUtilities::SafeFileStem(name, int(qstrlen(kSuffix)));
}

VstEffectRecord VstCrashMarker::Read(const QString& markerPath)
{
    VstEffectRecord record;
    record.enabled = false;
    try
    {
        XMLDocument document;
        document.Load(markerPath.toStdWString().c_str());
        const auto marker = document.GetChild(L"CrashedPlugin");
        record.path = marker->GetChild(L"Path")->GetText();
        record.fileTime = marker->GetChild(L"Created")->GetText();
        record.name = marker->GetChild(L"Name")->GetText();
        record.id = record.name;
        if (marker->HasChild(L"SubID"))
        {
            record.subId = std::uint32_t(marker->GetChild(L"SubID")->GetInt());
            record.id = record.name + L":" + std::to_wstring(std::int32_t(record.subId));
        }
    }
    catch (const XMLException&)
    {
    }
    return record;
}
