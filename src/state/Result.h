// A value or the Italian message that says why there is none. The core never shows a dialog
// itself: a procedure that meets such a result asks the Dialogs interface to tell the user.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace vesta {

template <typename T>
class Result {
  public:
    static Result success(T value) { return Result(std::move(value), {}); }
    static Result failure(std::string message) { return Result(std::nullopt, std::move(message)); }

    bool ok() const { return value_.has_value(); }
    T& value() { return *value_; }
    const T& value() const { return *value_; }
    const std::string& error() const { return error_; }

  private:
    Result(std::optional<T> value, std::string error)
        : value_(std::move(value)), error_(std::move(error)) {}
    std::optional<T> value_;
    std::string error_;
};

}  // namespace vesta
