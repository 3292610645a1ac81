#include "tools/plugcat/CataloguePrinter.h"

#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/AudioPlugins/PluginTypeTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <algorithm>
#include <array>
#include <vector>

namespace
{
using Row = std::array<QString, 8>;

const Row kHeader = {QStringLiteral("TYPE"),   QStringLiteral("ID"),        QStringLiteral("NAME"),
                     QStringLiteral("VENDOR"), QStringLiteral("STATE"),     QStringLiteral("WIDTH"),
                     QStringLiteral("FAV"),    QStringLiteral("CATEGORIES")};

// The lists plugcat shows, in menu order, as (type key, list) pairs.
template <class Visit> void ForEachEntry(const PluginList& list, Visit visit)
{
    for (const PluginTypeTable::Row& type : PluginTypeTable::kRows)
    {
        const auto found = list.find(type.typeKey);
        if (found == list.end())
            continue;
        for (const auto& [id, entry] : found->second)
            visit(QString::fromLatin1(type.typeKey), QString::fromStdWString(id), entry);
    }
}

QString FormatRows(const std::vector<Row>& rows)
{
    std::array<int, 8> widths{};
    for (const Row& row : rows)
        for (size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], int(row[column].size()));
    QString text;
    for (const Row& row : rows)
    {
        QString line;
        for (size_t column = 0; column < row.size(); ++column)
            line += column + 1 < row.size() ? row[column].leftJustified(widths[column] + 2) : row[column];
        text += line.trimmed() + QLatin1Char('\n');
    }
    return text;
}
} // namespace

QString CataloguePrinter::StateText(PluginListEntry::State state)
{
    if (state == PluginListEntry::State::NotWorking)
        return QStringLiteral("not working");
    return state == PluginListEntry::State::Disabled ? QStringLiteral("disabled") : QStringLiteral("enabled");
}

QString CataloguePrinter::CategoryText(std::uint32_t runtimeMask)
{
    const std::vector<std::string>& names = CategoryTable::Instance().NameList();
    QStringList found;
    for (size_t bit = 0; bit < names.size(); ++bit)
        if (runtimeMask & (1u << bit))
            found << QString::fromStdString(names[bit]);
    return found.join(QStringLiteral(", "));
}

QString CataloguePrinter::Table(const PluginList& list)
{
    std::vector<Row> rows{kHeader};
    ForEachEntry(list,
                 [&rows](const QString& type, const QString& id, const PluginListEntry& entry)
                 {
                     rows.push_back({type, id, QString::fromStdWString(entry.name),
                                     QString::fromStdWString(entry.vendor), StateText(entry.state),
                                     QString::number(entry.width),
                                     entry.favourite ? QStringLiteral("yes") : QStringLiteral("no"),
                                     CategoryText(entry.categoryMask)});
                 });
    const size_t count = rows.size() - 1;
    return FormatRows(rows) + QStringLiteral("%1 plug-in%2\n").arg(count).arg(count == 1 ? "" : "s");
}

QByteArray CataloguePrinter::Json(const PluginList& list)
{
    QJsonArray plugins;
    ForEachEntry(list,
                 [&plugins](const QString& type, const QString& id, const PluginListEntry& entry)
                 {
                     QJsonObject plugin;
                     plugin[QStringLiteral("type")] = type;
                     plugin[QStringLiteral("id")] = id;
                     plugin[QStringLiteral("name")] = QString::fromStdWString(entry.name);
                     plugin[QStringLiteral("vendor")] = QString::fromStdWString(entry.vendor);
                     plugin[QStringLiteral("state")] = StateText(entry.state);
                     plugin[QStringLiteral("categoryMask")] = qint64(entry.categoryMask);
                     plugin[QStringLiteral("categories")] = QJsonArray::fromStringList(
                         CategoryText(entry.categoryMask).split(QStringLiteral(", "), Qt::SkipEmptyParts));
                     plugin[QStringLiteral("width")] = entry.width;
                     plugin[QStringLiteral("favourite")] = entry.favourite != 0;
                     plugin[QStringLiteral("flags")] = qint64(entry.flags);
                     plugins.append(plugin);
                 });
    return QJsonDocument(plugins).toJson(QJsonDocument::Indented);
}

QString CataloguePrinter::MenuTree(const QMenu& menu)
{
    QString text;
    AppendMenu(text, menu, 0);
    return text;
}

void CataloguePrinter::AppendMenu(QString& text, const QMenu& menu, int depth)
{
    const QString indent(depth * 2, QLatin1Char(' '));
    for (const QAction* action : menu.actions())
    {
        if (action->isSeparator())
            text += indent + QStringLiteral("----\n");
        else if (const QMenu* submenu = action->menu())
        {
            text += indent + submenu->title() + QStringLiteral("/\n");
            AppendMenu(text, *submenu, depth + 1);
        }
        else
            text += indent + action->text() + QStringLiteral("  [") + action->data().toString() +
                    QStringLiteral("]\n");
    }
}
