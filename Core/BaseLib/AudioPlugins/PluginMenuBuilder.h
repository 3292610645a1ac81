#pragma once

#include "Core/BaseLib/AudioPlugins/PluginMenuData.h"
#include "Core/BaseLib/AudioPlugins/PluginMenuFilter.h"

#include <cstdint>

class QAction;
class QMenu;
class QObject;
class QWidget;

// Builds the plug-in menu of one track: favourites first, then a submenu per
// category (split by plug-in type where two types share it), "Uncategorized"
// last. Each action's data is the type key, ":" and the plug-in's id.
class PluginMenuBuilder
{
public:
    PluginMenuBuilder(const PluginMenuData& data, const PluginMenuFilter& filter)
        : m_data(data), m_filter(filter)
    {
    }

    // Instruments are offered only on the tracks that take them (track 0 or -2).
    QMenu* Build(std::int32_t track, QWidget* parent, bool includeChainPresets) const;

private:
    void AddFavourites(QMenu* menu) const;
    void AddCategory(QMenu* menu, int category, const PluginMenuTypes& types) const;
    int CountShownTypes(const PluginMenuTypes& types) const;
    void AddActions(QMenu* menu, int typeIndex, const PluginMenuItems& items) const;
    QAction* MakeAction(int typeIndex, const PluginMenuItem& item, QObject* parent) const;
    static void AddIfNotEmpty(QMenu* parent, QMenu* submenu);

    const PluginMenuData& m_data;
    PluginMenuFilter m_filter;
};
