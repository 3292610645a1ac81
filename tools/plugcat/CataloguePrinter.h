#pragma once

#include "Core/BaseLib/AudioPlugins/PluginList.h"

#include <QByteArray>
#include <QString>

class QMenu;

// The texts plugcat prints for the catalogue and its menus.
class CataloguePrinter
{
public:
    // One row per plug-in, lists in menu order, and a count.
    static QString Table(const PluginList& list);
    static QByteArray Json(const PluginList& list);
    // Submenus as "Title/" with their contents indented beneath; actions as
    // their text and, in brackets, the identifier they load.
    static QString MenuTree(const QMenu& menu);
    static QString StateText(PluginListEntry::State state);
    static QString CategoryText(std::uint32_t runtimeMask);

private:
    static void AppendMenu(QString& text, const QMenu& menu, int depth);
};
