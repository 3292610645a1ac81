#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <pugixml.hpp>
#include <string>

class XMLNodes;
class XMLAttributes;

// A non-owning handle to one node of a loaded document. An empty handle is
// valid: every lookup on it finds nothing and every value reads empty or 0.
class XMLNode
{
public:
    explicit XMLNode(pugi::xml_node node = {}) : m_node(node) {}

    bool IsEmpty() const { return !m_node; }

    std::unique_ptr<XMLNode> GetChild(const std::wstring& name) const;
    bool HasChild(const std::wstring& name) const;
    // The first child element of that name, or an empty handle; for readers
    // that look up thousands of elements, with neither a conversion of the
    // name nor an allocation.
    XMLNode Child(const char* name) const { return XMLNode(m_node.child(name)); }
    // By XPath relative to this node; a plain name selects child elements.
    // The readers here need only plain names; these serve paths that do not.
    std::unique_ptr<XMLNode> SelectChild(const std::wstring& xpath) const;
    bool HasSelectedChild(const std::wstring& xpath) const;
    std::unique_ptr<XMLNodes> GetChildren(const std::wstring& xpath) const;

    std::unique_ptr<XMLAttributes> GetAttributes() const;
    std::wstring GetAttributeValue(const std::wstring& name) const;
    QString GetName() const;

    // The element's text: the value of its first child node.
    std::wstring GetText() const;
    QString GetQText() const;
    std::string GetUtf8Text() const;
    std::int32_t GetInt() const;
    double GetDouble() const;

private:
    const char* RawText() const;

    pugi::xml_node m_node;
};
