#pragma once

#include "Core/BaseLib/AudioPlugins/PluginList.h"

#include <map>
#include <string>
#include <vector>

// One plug-in as a menu offers it.
struct PluginMenuItem
{
    std::wstring id;
    PluginListEntry entry;
};
using PluginMenuItems = std::vector<PluginMenuItem>;
// Type index (PluginTypeTable) to the items of that type.
using PluginMenuTypes = std::map<int, PluginMenuItems>;

// The plug-in list sorted into what the menus show: favourites per type, and
// per category (runtime bit position; 0 for plug-ins without one) the
// plug-ins of each type, ordered by display name.
class PluginMenuData
{
public:
    void Rebuild(PluginList& list);

    const PluginMenuTypes& Favourites() const { return m_favourites; }
    const std::map<int, PluginMenuTypes>& Categories() const { return m_categories; }

private:
    void Add(int typeIndex, const std::wstring& id, const PluginListEntry& entry);
    static void SortAndDeduplicate(PluginMenuItems& items);

    PluginMenuTypes m_favourites;
    std::map<int, PluginMenuTypes> m_categories;
};
