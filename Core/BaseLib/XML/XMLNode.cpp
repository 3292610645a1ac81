#include "Core/BaseLib/XML/XMLNode.h"

#include "Core/BaseLib/XML/XMLAttributes.h"
#include "Core/BaseLib/XML/XMLNodes.h"
#include "Core/BaseLib/XML/XMLText.h"

#include <algorithm>
#include <cstring>

namespace
{
// Element names and most texts are ASCII; a result file of ten thousand
// entries asks for a name or a text about three hundred thousand times.
bool IsAscii(const char* text)
{
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80)
            return false;
    return true;
}

std::string Utf8(const std::wstring& text)
{
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; }))
        return std::string(text.begin(), text.end());
    return QString::fromStdWString(text).toStdString();
}

pugi::xpath_node_set Select(pugi::xml_node node, const std::wstring& xpath)
{
    if (!node)
        return {};
    try
    {
        return node.select_nodes(Utf8(xpath).c_str());
    }
    catch (const pugi::xpath_exception&)
    {
        // A malformed expression selects nothing.
        return {};
    }
}
} // namespace

std::unique_ptr<XMLNode> XMLNode::GetChild(const std::wstring& name) const
{
    return std::make_unique<XMLNode>(m_node.child(Utf8(name).c_str()));
}

bool XMLNode::HasChild(const std::wstring& name) const
{
    return bool(m_node.child(Utf8(name).c_str()));
}

std::unique_ptr<XMLNode> XMLNode::SelectChild(const std::wstring& xpath) const
{
    const pugi::xpath_node_set nodes = Select(m_node, xpath);
    return std::make_unique<XMLNode>(nodes.empty() ? pugi::xml_node() : nodes.first().node());
}

bool XMLNode::HasSelectedChild(const std::wstring& xpath) const
{
    return !Select(m_node, xpath).empty();
}

std::unique_ptr<XMLNodes> XMLNode::GetChildren(const std::wstring& xpath) const
{
    return std::make_unique<XMLNodes>(Select(m_node, xpath));
}

std::unique_ptr<XMLAttributes> XMLNode::GetAttributes() const
{
    return std::make_unique<XMLAttributes>(m_node);
}

std::wstring XMLNode::GetAttributeValue(const std::wstring& name) const
{
    return QString::fromUtf8(m_node.attribute(Utf8(name).c_str()).value()).toStdWString();
}

QString XMLNode::GetName() const
{
    return QString::fromUtf8(m_node.name());
}

const char* XMLNode::RawText() const
{
    return m_node.first_child().value();
}

std::wstring XMLNode::GetText() const
{
    const char* text = RawText();
    if (IsAscii(text))
        return std::wstring(text, text + std::strlen(text));
    return GetQText().toStdWString();
}

QString XMLNode::GetQText() const
{
    return QString::fromUtf8(RawText());
}

std::string XMLNode::GetUtf8Text() const
{
    return RawText();
}

std::int32_t XMLNode::GetInt() const
{
    return XMLText::ToInt32(RawText());
}

double XMLNode::GetDouble() const
{
    return XMLText::ToDouble(RawText());
}
