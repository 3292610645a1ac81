#include "Main/AudioEngineController/Effects/VST/VstConfigurationFile.h"

#include "Core/BaseLib/AudioPlugins/AudioPluginHost.h"
#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/XML/XMLAttribute.h"
#include "Core/BaseLib/XML/XMLAttributes.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Core/BaseLib/XML/XMLNodes.h"
#include "Core/BaseLib/XML/XMLText.h"

#include <QFileInfo>

namespace
{
// Versions from which a part of the file can be trusted.
constexpr double kMaskVersion = 1.3;

// Each record is about 400 bytes; reserving avoids regrowing a large list.
constexpr int kBytesPerRecord = 512;

void AppendElement(QByteArray& out, const char* indent, const char* tag, const QByteArray& value)
{
    out.append(indent).append('<').append(tag).append('>');
    out.append(value);
    out.append("</").append(tag).append(">\n");
}

QByteArray Signed(std::int32_t value)
{
    return QByteArray::number(value);
}

QByteArray Flag(bool value)
{
    return value ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

std::wstring TextOf(const XMLNode& parent, const char* name)
{
    return parent.Child(name).GetText();
}
} // namespace

// Walks the list and the entries formatted before side by side: both are in
// identifier order.
const QByteArray& VstConfigurationFile::Format(const VstActiveList& active)
{
    m_text.resize(0);
    m_text.reserve(int(active.size()) * kBytesPerRecord + 128);
    m_text.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects version=\"1.4\">\n");
    auto cached = m_formatted.begin();
    for (const auto& [id, record] : active)
    {
        while (cached != m_formatted.end() && Utf16Order()(cached->first, id))
            cached = m_formatted.erase(cached);
        if (cached == m_formatted.end() || cached->first != id)
            cached = m_formatted.emplace_hint(cached, id, std::make_pair(record, FormatEffect(record)));
        else if (cached->second.first != record)
            cached->second = std::make_pair(record, FormatEffect(record));
        m_text.append(cached->second.second);
        ++cached;
    }
    m_formatted.erase(cached, m_formatted.end());
    m_text.append("</Effects>\n");
    return m_text;
}

QByteArray VstConfigurationFile::FormatEffect(const VstEffectRecord& record)
{
    QByteArray out;
    out.append("\t<Effect>\n");
    AppendElement(out, "\t\t", "Path", XMLText::Escape(record.path));
    AppendElement(out, "\t\t", "FileTime", XMLText::Escape(record.fileTime));
    AppendElement(out, "\t\t", "Name", XMLText::Escape(record.name));
    AppendElement(out, "\t\t", "ID", XMLText::Escape(record.id));
    AppendElement(out, "\t\t", "Category", Signed(std::int32_t(record.category)));
    AppendElement(out, "\t\t", "CategoryMask",
                  Signed(std::int32_t(AudioPluginHost::RuntimeMaskToFile(record.categoryMask))));
    AppendElement(out, "\t\t", "Favourite", Flag(record.favourite));
    AppendElement(out, "\t\t", "Vendor", XMLText::Escape(record.vendor));
    AppendElement(out, "\t\t", "Width", Signed(record.width));
    AppendElement(out, "\t\t", "Enabled", Flag(record.enabled));
    AppendElement(out, "\t\t", "Working", Flag(record.working));
    if (record.subId != 0)
    {
        out.append("\t\t<SubEffect>\n");
        AppendElement(out, "\t\t\t", "Name", XMLText::Escape(record.subName));
        AppendElement(out, "\t\t\t", "ID", QByteArray::number(record.subId));
        out.append("\t\t</SubEffect>\n");
    }
    out.append("\t</Effect>\n");
    return out;
}

bool VstConfigurationFile::Write(const VstActiveList& active)
{
    return FileUtilities::WriteAtomically(m_path, Format(active));
}

void VstConfigurationFile::Read(VstKnownList& known, bool& rewriteNeeded) const
{
    if (!QFileInfo::exists(m_path))
        return;
    try
    {
        XMLDocument document;
        document.Load(m_path.toStdWString().c_str());
        const auto effects = document.GetChild(L"Effects");
        const auto attributes = effects->GetAttributes();
        if (!attributes->HasAttribute(L"version"))
            return;
        const double version = attributes->GetAttribute(L"version")->GetDouble();
        const auto list = effects->GetChildren(L"Effect");
        for (int i = 0; i < list->GetCount(); ++i)
        {
            const auto effect = list->GetAt(i);
            Insert(known, ReadEffect(*effect, version, rewriteNeeded), !effect->Child("SubEffect").IsEmpty());
        }
    }
    catch (const XMLException&)
    {
    }
}

VstEffectRecord VstConfigurationFile::ReadEffect(const XMLNode& effect, double version, bool& rewriteNeeded)
{
    VstEffectRecord record;
    record.path = TextOf(effect, "Path");
    record.fileTime = TextOf(effect, "FileTime");
    record.name = TextOf(effect, "Name");
    record.category = std::uint32_t(effect.Child("Category").GetInt());
    if (version < kVersion)
    {
        // Older versions wrote times that do not compare with ours; taking the
        // file's own time keeps the plug-in from being probed again.
        record.fileTime = FileUtilities::FileTimeText(QString::fromStdWString(record.path)).toStdWString();
        rewriteNeeded = true;
    }
    // Elements missing from older files keep the record's defaults.
    if (const XMLNode width = effect.Child("Width"); !width.IsEmpty())
        record.width = width.GetInt();
    if (const XMLNode latency = effect.Child("Latency"); !latency.IsEmpty())
        record.latency = latency.GetInt();
    if (const XMLNode id = effect.Child("ID"); !id.IsEmpty())
        record.id = id.GetText();
    if (const XMLNode enabled = effect.Child("Enabled"); !enabled.IsEmpty())
        record.enabled = enabled.GetInt() != 0;
    if (const XMLNode working = effect.Child("Working"); !working.IsEmpty())
        record.working = working.GetInt() != 0;
    if (const XMLNode vendor = effect.Child("Vendor"); !vendor.IsEmpty())
        record.vendor = vendor.GetText();
    if (const XMLNode mask = effect.Child("CategoryMask"); !mask.IsEmpty())
        record.categoryMask =
            version >= kMaskVersion ? AudioPluginHost::FileMaskToRuntime(std::uint32_t(mask.GetInt())) : 0;
    if (const XMLNode favourite = effect.Child("Favourite"); !favourite.IsEmpty())
        record.favourite = favourite.GetInt() != 0;
    if (const XMLNode sub = effect.Child("SubEffect"); !sub.IsEmpty())
    {
        record.subName = TextOf(sub, "Name");
        record.subId = std::uint32_t(sub.Child("ID").GetInt());
    }
    return record;
}

// One entry per file, except that a shell's sub-plug-ins share their file.
void VstConfigurationFile::Insert(VstKnownList& known, VstEffectRecord record, bool subPlugin)
{
    // Only the file name is converted: a file of ten thousand entries is read in one go.
    const std::size_t slash = record.path.rfind(L'/');
    const QString key =
        QString::fromStdWString(slash == std::wstring::npos ? record.path : record.path.substr(slash + 1));
    const auto same = known.equal_range(key);
    if (!subPlugin && same.first != same.second)
        return;
    for (auto it = same.first; it != same.second; ++it)
        if (it->second.id == record.id)
            return;
    // After the entries of the same file, where emplace would put it too.
    known.emplace_hint(same.second, key, std::move(record));
}
