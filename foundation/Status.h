#pragma once
// Errors as values: a code (0 = success) and a message for the log or the user.

#include <string>
#include <utility>

namespace veltrona {

class Status {
public:
    Status() = default;
    static Status success() { return {}; }
    static Status failure(int code, std::string message) { return Status(code == 0 ? -1 : code, std::move(message)); }

    bool ok() const { return code_ == 0; }
    explicit operator bool() const { return ok(); }
    int code() const { return code_; }
    const std::string& message() const { return message_; }

private:
    Status(int code, std::string message) : code_(code), message_(std::move(message)) { }
    int code_ = 0;
    std::string message_;
};

} // namespace veltrona
