#pragma once

#include <stdexcept>

// A plug-in answer past what we accept; its text tells the user which.
class VST3Refusal : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
