#include "Main/AudioEngineController/Effects/VST3/VST3CrashMarker.h"

#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Core/BaseLib/XML/XMLText.h"

#include <QFile>

namespace
{
constexpr int kMaxFileNameBytes = 255;
const QString kSuffix = QStringLiteral(".scan3");

// A hidden marker would be missed by the folder walks that look for it.
QString VisibleFileStem(const std::wstring& name)
{
    QString stem = QString::fromStdWString(name);
    stem.replace(QLatin1Char('/'), QLatin1Char('_'));
    stem.replace(QChar(0), QLatin1Char('_'));
    for (int i = 0; i < stem.size() && stem[i] == QLatin1Char('.'); ++i)
        stem[i] = QLatin1Char('_');
    if (stem.isEmpty())
        stem = QStringLiteral("_");
    while (stem.toUtf8().size() + kSuffix.size() > kMaxFileNameBytes)
    {
        stem.chop(1);
        if (!stem.isEmpty() && stem.at(stem.size() - 1).isHighSurrogate())
            stem.chop(1);
    }
    return stem;
}
} // namespace

QString VST3CrashMarker::PathFor(const QString& effectsFolder, const std::wstring& name)
{
    return effectsFolder + QLatin1Char('/') + VisibleFileStem(name) + kSuffix;
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
