#include "Core/BaseLib/XML/XMLNodes.h"

#include "Core/BaseLib/XML/XMLException.h"

std::unique_ptr<XMLNode> XMLNodes::GetAt(int index) const
{
    if (index < 0 || index >= GetCount() || !m_nodes[size_t(index)].node())
        throw XMLException(L"XMLNodes::GetAt Index Out of Range");
    return std::make_unique<XMLNode>(m_nodes[size_t(index)].node());
}
