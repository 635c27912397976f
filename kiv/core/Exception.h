#pragma once

#include <exception>
#include <string>

namespace kiv::core {

// An exception that carries its message as a narrow string.
class Exception : public std::exception
{
public:
    explicit Exception(const std::string& message)
        : _message(message)
    {
    }

    ~Exception() override = default;

    const char* what() const noexcept override { return _message.c_str(); }
    virtual const std::string& getMessage() const { return _message; }

private:
    std::string _message;
};

} // namespace kiv::core
