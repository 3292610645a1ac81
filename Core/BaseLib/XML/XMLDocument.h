#pragma once

#include "Core/BaseLib/XML/XMLNode.h"

// Owns one parsed document; every XMLNode taken from it dies with it.
class XMLDocument
{
public:
    // Parses the file, throwing XMLException when it cannot be read or parsed.
    // Resource paths (":/...") are read through Qt; one that cannot be opened
    // leaves the document empty rather than failing.
    void Load(const wchar_t* fileName);

    std::unique_ptr<XMLNode> GetChild(const std::wstring& name) const;
    bool HasChild(const std::wstring& name) const;

private:
    pugi::xml_document m_document;
};
