#include "Core/BaseLib/AudioPlugins/FavouritesFile.h"

#include "Core/BaseLib/AudioPlugins/CategoryTable.h"
#include "Core/BaseLib/FileUtilities.h"
#include "Core/BaseLib/XML/XMLDocument.h"
#include "Core/BaseLib/XML/XMLException.h"
#include "Core/BaseLib/XML/XMLNodes.h"
#include "Core/BaseLib/XML/XMLText.h"

#include <QFileInfo>

void FavouritesFile::Read(const QString& path, TFDRegisteredPlugins& plugins)
{
    if (!QFileInfo::exists(path))
        return;
    try
    {
        XMLDocument document;
        document.Load(path.toStdWString().c_str());
        const std::unique_ptr<XMLNode> root = document.GetChild(L"Effects");
        if (root->IsEmpty())
            return;
        const std::unique_ptr<XMLNodes> effects = root->GetChildren(L"Effect");
        for (int index = 0; index < effects->GetCount(); ++index)
        {
            const std::unique_ptr<XMLNode> effect = effects->GetAt(index);
            const std::unique_ptr<XMLNode> id = effect->GetChild(L"ID");
            const std::unique_ptr<XMLNode> favourite = effect->GetChild(L"Favourite");
            if (id->IsEmpty() || favourite->IsEmpty())
                return;
            const auto plugin = plugins.find(id->GetText());
            if (plugin == plugins.end())
                continue;
            plugin->second.categoryMask = 0;
            plugin->second.favourite = favourite->GetInt() != 0;
        }
    }
    catch (const XMLException&)
    {
    }
}

QByteArray FavouritesFile::Format(const TFDRegisteredPlugins& plugins)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Effects version=\"1.2\">\n";
    for (const auto& [id, plugin] : plugins)
    {
        const std::int32_t fileMask =
            std::int32_t(CategoryTable::Instance().RuntimeMaskToFile(plugin.categoryMask));
        text += "\t<Effect>\n\t\t<ID>" + XMLText::Escape(id) + "</ID>\n";
        text += "\t\t<Favourite>" + QByteArray(plugin.favourite ? "1" : "0") + "</Favourite>\n";
        text += "\t\t<CategoryMask>" + QByteArray::number(fileMask) + "</CategoryMask>\n\t</Effect>\n";
    }
    return text + "</Effects>\n";
}

bool FavouritesFile::Write(const QString& path, const TFDRegisteredPlugins& plugins)
{
    return FileUtilities::WriteAtomically(path, Format(plugins));
}
