#pragma once

#include "Main/VLib/VObject.h"

#include <cstdint>

// One request of a numbered engine action, shared between the requester and
// the handler it is posted to.
class Action : public VObject
{
public:
    explicit Action(std::int32_t number) : m_number(number) {}

    const char* ClassName() const override { return "Action"; }
    std::int32_t Number() const { return m_number; }

private:
    std::int32_t m_number;
};
