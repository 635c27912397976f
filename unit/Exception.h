#pragma once

#include "kiv/core/Exception.h"

// The program's one exception: generation throws it, the designer form
// catches it and reports it by its code.
class Exception : public kiv::core::Exception
{
public:
    enum Code {
        NonUniqueId = 1,
        // The message is the absolute path that could not be created or written.
        WriteFailed = 2,
    };

    Exception(const std::string& message, int code)
        : kiv::core::Exception(message)
        , code(code)
    {
    }

    ~Exception() override = default;

    int code;
};
