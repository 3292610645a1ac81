#include "Core/BaseLib/AudioPlugins/PluginMenuData.h"

#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/AudioPlugins/PluginTypeTable.h"

#include <QString>
#include <algorithm>
#include <utility>
#include <vector>

namespace
{
QString Upper(const std::wstring& text)
{
    return QString::fromStdWString(text).toUpper();
}
} // namespace

void PluginMenuData::Rebuild(PluginList& list)
{
    m_favourites.clear();
    m_categories.clear();
    for (const PluginTypeTable::Row& type : PluginTypeTable::kRows)
        for (const auto& [id, entry] : list[type.typeKey])
            Add(type.index, id, entry);
    for (auto& [category, types] : m_categories)
        for (auto& [type, items] : types)
            SortAndDeduplicate(items);
}

void PluginMenuData::Add(int typeIndex, const std::wstring& id, const PluginListEntry& entry)
{
    // A disabled plug-in stays out of the menus unless it is hidden anyway.
    if (entry.state == PluginListEntry::State::Disabled && !(entry.flags & PluginListEntry::kHidden))
        return;
    if (entry.favourite)
        m_favourites[typeIndex].push_back({id, entry});
    if (entry.categoryMask == 0)
    {
        m_categories[0][typeIndex].push_back({id, entry});
        return;
    }
    // Bit 0 is "-": it never puts a plug-in into a category by itself.
    for (int bit = 1; bit < CategoryTable::kCount; ++bit)
        if (entry.categoryMask & (1u << bit))
            m_categories[bit][typeIndex].push_back({id, entry});
}

// Each item's keys are made once: a catalogue of thousands of plug-ins is
// compared tens of thousands of times.
void PluginMenuData::SortAndDeduplicate(PluginMenuItems& items)
{
    if (items.size() < 2)
        return;
    std::vector<std::pair<QString, PluginMenuItem>> keyed;
    keyed.reserve(items.size());
    for (PluginMenuItem& item : items)
        keyed.emplace_back(Upper(item.id), std::move(item));
    const auto byKey = [](const auto& a, const auto& b) { return a.first < b.first; };
    // Stable, so of two ids that differ only in case the first in list order stays.
    std::stable_sort(keyed.begin(), keyed.end(), byKey);
    keyed.erase(std::unique(keyed.begin(), keyed.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                keyed.end());
    for (auto& [key, item] : keyed)
        key = QString::fromStdWString(item.entry.name);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b)
                     { return a.first.compare(b.first, Qt::CaseInsensitive) < 0; });
    items.clear();
    for (auto& keyedItem : keyed)
        items.push_back(std::move(keyedItem.second));
}
