// The two kinds of exception the program raises: an error that carries the
// text to show, and the silent abort that ends an operation without a message.
#pragma once

#include <stdexcept>
#include <string>

class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& message) : std::runtime_error(message) {}
};

// Ends the current command or event quietly: the user has already been told.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};
