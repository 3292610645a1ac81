#include "Core/BaseLib/AudioPlugins/PluginMenuBuilder.h"

#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/AudioPlugins/PluginTypeTable.h"

#include <QCoreApplication>
#include <QMenu>
#include <map>

QMenu* PluginMenuBuilder::Build(std::int32_t track, QWidget* parent, bool includeChainPresets) const
{
    QMenu* menu = new QMenu(parent);
    AddFavourites(menu);
    const int instrumentBit = CategoryTable::Instance().InstrumentBit();
    for (const auto& [category, types] : m_data.Categories())
    {
        if (category == 0 || (category == CategoryTable::kChainFxBit && !includeChainPresets))
            continue;
        if (category == instrumentBit && track != 0 && track != -2)
            continue;
        AddCategory(menu, category, types);
    }
    const auto uncategorized = m_data.Categories().find(0);
    if (uncategorized != m_data.Categories().end())
        AddCategory(menu, 0, uncategorized->second);
    return menu;
}

void PluginMenuBuilder::AddFavourites(QMenu* menu) const
{
    // Keyed by display name, so a plug-in marked in two lists appears once.
    std::map<QString, QAction*> byName;
    for (const auto& [typeIndex, items] : m_data.Favourites())
        for (const PluginMenuItem& item : items)
        {
            if (!m_filter.Shows(item.entry))
                continue;
            QAction*& slot = byName[QString::fromStdWString(item.entry.name)];
            delete slot;
            slot = MakeAction(typeIndex, item, menu);
        }
    if (byName.empty())
        return;
    for (const auto& named : byName)
        menu->addAction(named.second);
    menu->addSeparator();
}

void PluginMenuBuilder::AddCategory(QMenu* menu, int category, const PluginMenuTypes& types) const
{
    const QString title =
        category == 0 ? QCoreApplication::translate("PluginHost", "Uncategorized")
                      : QString::fromStdString(CategoryTable::Instance().NameList()[size_t(category)]);
    QMenu* submenu = new QMenu(title, menu);
    const bool splitByType = CountShownTypes(types) >= 2;
    for (const auto& [typeIndex, items] : types)
    {
        if (!splitByType)
        {
            AddActions(submenu, typeIndex, items);
            continue;
        }
        QMenu* typeMenu =
            new QMenu(QString::fromLatin1(PluginTypeTable::kRows[size_t(typeIndex)].menuLabel), submenu);
        AddActions(typeMenu, typeIndex, items);
        AddIfNotEmpty(submenu, typeMenu);
    }
    AddIfNotEmpty(menu, submenu);
}

int PluginMenuBuilder::CountShownTypes(const PluginMenuTypes& types) const
{
    int count = 0;
    for (const auto& [typeIndex, items] : types)
        for (const PluginMenuItem& item : items)
            if (m_filter.Shows(item.entry))
            {
                ++count;
                break;
            }
    return count;
}

void PluginMenuBuilder::AddActions(QMenu* menu, int typeIndex, const PluginMenuItems& items) const
{
    for (const PluginMenuItem& item : items)
        if (m_filter.Shows(item.entry))
            menu->addAction(MakeAction(typeIndex, item, menu));
}

QAction* PluginMenuBuilder::MakeAction(int typeIndex, const PluginMenuItem& item, QObject* parent) const
{
    QAction* action = new QAction(QString::fromStdWString(item.entry.name), parent);
    action->setData(QString::fromLatin1(PluginTypeTable::kRows[size_t(typeIndex)].typeKey) +
                    QLatin1Char(':') + QString::fromStdWString(item.id));
    return action;
}

void PluginMenuBuilder::AddIfNotEmpty(QMenu* parent, QMenu* submenu)
{
    if (submenu->actions().isEmpty())
        delete submenu;
    else
        parent->addMenu(submenu);
}
