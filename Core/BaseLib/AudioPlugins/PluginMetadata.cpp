#include "Core/BaseLib/AudioPlugins/PluginMetadata.h"

#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/XML/XMLAttributes.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Core/BaseLib/XML/XMLNodes.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

QStringList PluginMetadata::Folders()
{
    // Relative to the program, so that the installed tree can move as a whole.
    return {QString::fromLatin1(kResourceFolder),
            QCoreApplication::applicationDirPath() +
                QStringLiteral("/" PLUGSWEEP_DATA_FROM_BIN "/Plugin Metadata")};
}

void PluginMetadata::Load(const QStringList& folders)
{
    QStringList paths;
    for (const QString& folder : folders)
    {
        QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext())
            paths << files.next();
    }
    std::sort(paths.begin(), paths.end());
    for (const QString& path : paths)
        LoadFile(path);
}

void PluginMetadata::LoadFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return;
    try
    {
        XMLDocument document;
        document.Load(path.toStdWString().c_str());
        const std::unique_ptr<XMLNode> root = document.GetChild(L"Effects");
        if (root->IsEmpty() || !root->GetAttributes()->HasAttribute(L"type"))
            return;
        TypeEntries& entries =
            m_types[QString::fromStdWString(root->GetAttributeValue(L"type")).toStdString()];
        const std::unique_ptr<XMLNodes> effects = root->GetChildren(L"Effect");
        for (int index = 0; index < effects->GetCount(); ++index)
        {
            const std::unique_ptr<XMLNode> effect = effects->GetAt(index);
            const std::unique_ptr<XMLAttributes> attributes = effect->GetAttributes();
            if (!attributes->HasAttribute(L"id") || !attributes->HasAttribute(L"category"))
                return;
            Entry entry;
            entry.categoryMask =
                CategoryTable::Instance().CategoryMaskFromKeys(effect->GetAttributeValue(L"category"));
            if (attributes->HasAttribute(L"width"))
                entry.width = attributes->GetAttribute(L"width")->GetInt();
            entries.emplace(effect->GetAttributeValue(L"id"), entry);
        }
    }
    catch (const XMLException&)
    {
    }
}

void PluginMetadata::ApplyCategories(PluginList& list) const
{
    for (auto& [typeKey, entries] : list)
    {
        const TypeEntries* metadata = Find(typeKey);
        if (!metadata)
            continue;
        for (auto& [id, entry] : entries)
        {
            const auto found = metadata->find(id);
            if (entry.categoryMask == 0 && found != metadata->end())
                entry.categoryMask = found->second.categoryMask;
        }
    }
}

const PluginMetadata::TypeEntries* PluginMetadata::Find(const std::string& typeKey) const
{
    const auto found = m_types.find(typeKey);
    return found == m_types.end() ? nullptr : &found->second;
}
