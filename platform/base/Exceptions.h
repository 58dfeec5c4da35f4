#pragma once

#include <stdexcept>
#include <string>

// Base of the errors the program reports to the user; Message() is the text shown.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A text that is not a number where a number is required.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A stream or buffer that cannot hold what is asked of it (for example a size past 2 GiB).
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
