#pragma once

#include <exception>

// A silent abort: ends the operation that raised it without any message.
// Handlers, the standard error box and the application object let it pass
// quietly.
class Abort : public std::exception {
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};
