#include "Core/BaseLib/AudioPlugins/CategoryTable.h"

#include <QString>
#include <QStringList>

namespace
{
struct Rename
{
    const char* found;
    const char* replacement;
};

// Words plug-ins use for their own category, mapped onto our display names.
const Rename kRenames[] = {
    {"Analyzer", "Metering"}, {"Effects", "Multi Effect"}, {"Filter", "EQ"},
    {"Generator", "Tools"},   {"Sound Field", "Surround"}, {"Up-Downmix", "Surround"},
};

std::uint32_t Translate(const std::map<std::uint32_t, std::uint32_t>& map, std::uint32_t mask)
{
    std::uint32_t result = 0;
    for (const auto& [from, to] : map)
        if (mask & from)
            result |= to;
    return result;
}
} // namespace

const std::array<CategoryTable::Row, CategoryTable::kCount + 1> CategoryTable::kRows = {{
    {"-", L"-"},
    {"Channel", L"chan"},
    {"Delay", L"dly"},
    {"Dynamics", L"dyn"},
    {"EQ", L"eq"},
    {"Harmonic", L"harm"},
    {"Spatial", L"img"},
    {"Instrument", L"inst"},
    {"Mastering", L"mst"},
    {"Metering", L"meter"},
    {"Multi Effect", L"multi"},
    {"Modulation", L"mod"},
    {"Restoration", L"nr"},
    {"Pitch", L"pitch"},
    {"Reverb", L"rvb"},
    {"Surround", L"surr"},
    {"Tools", L"tool"},
    {"Other", L"other"},
    {"Decoder", L"decoder"},
    {"Vocals", L"voc"},
    {"Bass", L"bass"},
    {"Guitar", L"guitar"},
    {"Drums", L"drums"},
    {"Distortion", L"dist"},
    {"Analysis", L"ana"},
    {"Monitor", L"mon"},
    {"Ambisonics", L"ambi"},
    {"-", L"dummy"},
    {"Chain FX", L"chain"},
}};

const CategoryTable& CategoryTable::Instance()
{
    static const CategoryTable table;
    return table;
}

CategoryTable::CategoryTable()
{
    // Display names are ASCII, so byte order is UTF-16 code unit order.
    std::map<std::string, int> byName;
    for (int index = 1; index <= kCount; ++index)
        byName.emplace(kRows[index].name, index);
    int bit = 0;
    for (const auto& [name, index] : byName)
    {
        const std::uint32_t runtime = 1u << bit;
        const std::uint32_t file = 1u << index;
        m_names.push_back(name);
        m_keys.emplace(kRows[index].key, CategoryInfo{runtime, name});
        m_fileToRuntime[file] = runtime;
        m_runtimeToFile[runtime] = file;
        if (index == kInstrumentIndex)
            m_instrumentBit = bit;
        if (index == kAmbisonicsIndex)
            m_ambisonicsBit = bit;
        ++bit;
    }
}

std::uint32_t CategoryTable::FileMaskToRuntime(std::uint32_t fileMask) const
{
    return Translate(m_fileToRuntime, fileMask);
}

std::uint32_t CategoryTable::RuntimeMaskToFile(std::uint32_t runtimeMask) const
{
    return Translate(m_runtimeToFile, runtimeMask);
}

std::uint32_t CategoryTable::CategoryMaskFromText(std::string& text) const
{
    for (const Rename& rename : kRenames)
    {
        const std::string found = rename.found;
        const size_t at = text.find(found);
        if (at != std::string::npos)
            text.replace(at, found.size(), rename.replacement);
    }
    std::uint32_t mask = 0;
    for (const auto& entry : m_keys)
        if (text.find(entry.second.name) != std::string::npos)
            mask |= entry.second.runtimeBit;
    return mask;
}

std::uint32_t CategoryTable::CategoryMaskFromKeys(const std::wstring& keys) const
{
    std::uint32_t mask = 0;
    for (const QString& key : QString::fromStdWString(keys).split(QLatin1Char('|')))
    {
        const auto found = m_keys.find(key.toStdWString());
        if (found != m_keys.end())
            mask |= found->second.runtimeBit;
    }
    return std::int32_t(mask) < 2 ? kNoCategory : mask;
}

bool CategoryTable::IsInstrumentMask(std::uint32_t runtimeMask) const
{
    return runtimeMask & (1u << m_instrumentBit);
}

bool CategoryTable::IsAmbisonicMask(std::uint32_t runtimeMask) const
{
    return runtimeMask & (1u << m_ambisonicsBit);
}
