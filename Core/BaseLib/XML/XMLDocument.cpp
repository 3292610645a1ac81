#include "Core/BaseLib/XML/XMLDocument.h"

#include "Core/BaseLib/Debug.h"
#include "Core/BaseLib/XML/XMLException.h"

#include <QFile>

namespace
{
void ThrowParseError(const QString& fileName, const pugi::xml_parse_result& result)
{
    const QString message = QStringLiteral("Loading XML-file ") + fileName + QStringLiteral(" failed. ") +
                            QString::fromUtf8(result.description()) + QStringLiteral("Error at offset ") +
                            QString::number(result.offset);
    throw XMLException(message.toStdWString());
}
} // namespace

void XMLDocument::Load(const wchar_t* fileName)
{
    if (!fileName)
    {
        ReportAssertion(L"NULL != fileName", L"Core\\BaseLib\\XML\\XMLDocument", 30);
        return;
    }
    const QString name = QString::fromWCharArray(fileName);
    pugi::xml_parse_result result;
    try
    {
        if (name.contains(QStringLiteral(":/")))
        {
            QFile file(name);
            if (!file.open(QIODevice::ReadOnly))
                return;
            const QByteArray bytes = file.readAll();
            result = m_document.load_buffer(bytes.constData(), size_t(bytes.size()));
        }
        else
        {
            result = m_document.load_file(name.toStdString().c_str());
        }
    }
    catch (const std::exception&)
    {
        throw XMLException(L"Loading of XML file failed");
    }
    if (!result)
        ThrowParseError(name, result);
}

std::unique_ptr<XMLNode> XMLDocument::GetChild(const std::wstring& name) const
{
    return XMLNode(m_document).GetChild(name);
}

bool XMLDocument::HasChild(const std::wstring& name) const
{
    return XMLNode(m_document).HasChild(name);
}
