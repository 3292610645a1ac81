#pragma once

#include "Core/BaseLib/XML/XMLNode.h"

// Nodes selected by an XPath expression, in document order.
class XMLNodes
{
public:
    explicit XMLNodes(pugi::xpath_node_set nodes) : m_nodes(std::move(nodes)) {}

    int GetCount() const { return int(m_nodes.size()); }
    // Throws XMLException when index is out of range or names no node.
    std::unique_ptr<XMLNode> GetAt(int index) const;

private:
    pugi::xpath_node_set m_nodes;
};
