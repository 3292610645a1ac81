#include "Main/AudioEngineController/Effects/VST3/VST3ConfigurationFile.h"

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLNodes.h"
#include "Core/BaseLib/XML/XMLText.h"

namespace
{
QByteArray Element(const char* name, const QByteArray& escapedText)
{
    return QByteArray("\t\t<") + name + '>' + escapedText + "</" + name + ">\n";
}

QByteArray Number(const char* name, std::int32_t value)
{
    return Element(name, QByteArray::number(value));
}

VST3EffectRecord ReadEntry(const XMLNode& effect)
{
    VST3EffectRecord record;
    record.path = effect.GetChild(L"Path")->GetUtf8Text();
    record.fileTime = effect.GetChild(L"FileTime")->GetUtf8Text();
    record.name = effect.GetChild(L"Name")->GetText();
    record.categories = effect.GetChild(L"Category")->GetUtf8Text();
    // Files written by older versions lack some of these; the defaults stay.
    const auto present = [&effect](const wchar_t* name) -> std::unique_ptr<XMLNode>
    {
        std::unique_ptr<XMLNode> child = effect.GetChild(name);
        if (child->IsEmpty())
            return nullptr;
        return child;
    };
    if (const auto inputs = present(L"Inputs"))
        record.inputs = inputs->GetInt();
    if (const auto outputs = present(L"Outputs"))
        record.outputs = outputs->GetInt();
    if (const auto id = present(L"ID"))
        record.id = id->GetText();
    if (const auto enabled = present(L"Enabled"))
        record.enabled = enabled->GetInt() != 0;
    if (const auto working = present(L"Working"))
        record.working = working->GetInt() != 0;
    if (const auto vendor = present(L"Vendor"))
        record.vendor = vendor->GetUtf8Text();
    if (const auto categories = present(L"Categories"))
        record.categories = categories->GetUtf8Text();
    if (const auto mask = present(L"CategoryMask"))
        record.categoryMask = AudioPluginHost::FileMaskToRuntime(std::uint32_t(mask->GetInt()));
    if (const auto favourite = present(L"Favourite"))
        record.favourite = favourite->GetInt() != 0;
    return record;
}
} // namespace

QByteArray VST3ConfigurationFile::Header()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects version=\"1.1\">\n";
}

QByteArray VST3ConfigurationFile::Footer()
{
    return "</Effects>\n";
}

QByteArray VST3ConfigurationFile::FormatEntry(const VST3EffectRecord& record)
{
    QByteArray lines = "\t<Effect>\n";
    lines += Element("Path", XMLText::Escape(record.path));
    lines += Element("FileTime", XMLText::Escape(record.fileTime));
    lines += Element("Name", XMLText::Escape(record.name));
    lines += Element("ID", XMLText::Escape(record.id));
    lines += Element("Categories", XMLText::Escape(record.categories));
    lines += Number("CategoryMask", std::int32_t(AudioPluginHost::RuntimeMaskToFile(record.categoryMask)));
    lines += Number("Favourite", record.favourite ? 1 : 0);
    lines += Element("Vendor", XMLText::Escape(record.vendor));
    lines += Number("Inputs", record.inputs);
    lines += Number("Outputs", record.outputs);
    lines += Number("Enabled", record.enabled ? 1 : 0);
    lines += Number("Working", record.working ? 1 : 0);
    lines += "\t</Effect>\n";
    return lines;
}

VST3ConfigurationFile::Contents VST3ConfigurationFile::Read(const QString& path)
{
    XMLDocument document;
    document.Load(path.toStdWString().c_str());
    const std::unique_ptr<XMLNode> root = document.GetChild(L"Effects");
    Contents contents;
    const std::wstring version = root->GetAttributeValue(L"version");
    if (!version.empty())
        contents.version = XMLText::ToDouble(QString::fromStdWString(version).toUtf8().constData());
    const std::unique_ptr<XMLNodes> effects = root->GetChildren(L"Effect");
    contents.records.reserve(std::size_t(effects->GetCount()));
    for (int i = 0; i < effects->GetCount(); ++i)
        contents.records.push_back(ReadEntry(*effects->GetAt(i)));
    return contents;
}
