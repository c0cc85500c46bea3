#pragma once
#include <optional>
#include <string>
#include <utility>

namespace brindlow::platform {

// A value, or the description of why there is none. Failures never cross the seam as exceptions.
template <class T>
class Result {
 public:
  static Result success(T value) { return Result(std::move(value), {}); }
  static Result failure(std::string description) { return Result(std::nullopt, std::move(description)); }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const T& value() const { return *value_; }
  T& value() { return *value_; }
  const std::string& error() const { return error_; }

 private:
  Result(std::optional<T> v, std::string e) : value_(std::move(v)), error_(std::move(e)) {}
  std::optional<T> value_;
  std::string error_;
};

}  // namespace brindlow::platform
