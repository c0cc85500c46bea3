#pragma once
// Strict JSON reading and finite-only writing for every record that crosses the page bridge.
//
// Reading (page → native) is all or nothing:
// - a record is a JSON object; each field is the key spelled as the field name, exactly;
// - a required key must be present and not null; an optional key may be missing or null (both give nullopt);
// - keys that are not fields (the envelope's "type" among them) are ignored;
// - Bool is only true/false; String only a string; Double any finite JSON number;
// - Int (std::int64_t) is a number with a whole value inside the 64-bit signed range: 2.0 reads as 2,
//   1.5 and 2^63 fail;
// - an enumeration is a string equal to one of its raw values (util/Enum.h), compared case-sensitively;
// - a list is an array whose every element reads; a nested record reads by these same rules;
// - the first failure anywhere fails the whole value, and no partial value is handed out.
// Ranges and lengths are not checked here: the handlers do that afterwards.
//
// Writing (native → page) emits every field; a NaN or infinite Double anywhere fails the whole value.
// An absent optional field is either omitted or written as null, fixed per field by the writer call.
//
// How a record joins in: declare, next to the record, in the record's namespace (found by ADL)
//   bool readJson(const Json& j, Record& out);        // decoding, usually with JsonObjectReader
//   bool writeJson(Json& out, const Record& value);    // encoding, usually with JsonObjectWriter
// and callers use decodeStrict<Record>(j) / encode(value), or decodeBody<Record>(body) for a whole
// message body from the page. Records that only travel one way define only that direction.
// A failed readJson may leave its target partly written; the entry points decode into a fresh value
// and hand it out only on success, so use them rather than readJson directly.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "util/Enum.h"

namespace brindlow {

using Json = nlohmann::json;

// Scalars.
bool readJson(const Json& j, bool& out);
bool readJson(const Json& j, std::int64_t& out);
bool readJson(const Json& j, double& out);
bool readJson(const Json& j, std::string& out);
bool writeJson(Json& out, bool value);
bool writeJson(Json& out, std::int64_t value);
bool writeJson(Json& out, double value);
bool writeJson(Json& out, const std::string& value);
// A string literal would otherwise convert to bool.
bool writeJson(Json& out, const char* value) = delete;

template <class E>
concept RawStringEnum = std::is_enum_v<E> && requires { EnumTraits<E>::names; };

template <RawStringEnum E>
bool readJson(const Json& j, E& out);
template <RawStringEnum E>
bool writeJson(Json& out, E value);
template <class T>
bool readJson(const Json& j, std::vector<T>& out);
template <class T>
bool writeJson(Json& out, const std::vector<T>& values);

// True when j is an object and no number anywhere inside it is NaN or infinite: the test a page
// body must pass before it is decoded as a whole.
bool isValidJsonObject(const Json& j);

// The text to hand the parser for JSON text the page wrote (a message, the save file), read the way a
// browser reads it:
// - an escaped UTF-16 surrogate without its partner ("\ud83d", how a string cut inside an emoji is
//   written) stands for U+FFFD, so it is rewritten as "\ufffd" (the same length);
// - a NUL byte refuses the text: no JSON text holds one, and the parser would take it for the end and
//   pass over whatever follows it.
// Gives `text` itself, or the repaired copy kept in `storage`; nullopt when the text is refused.
std::optional<std::string_view> browserJsonText(std::string_view text, std::string& storage);

// Reads the fields of one JSON object; the first failure sticks and every later call does nothing.
class JsonObjectReader {
 public:
  explicit JsonObjectReader(const Json& j) : json_(j), ok_(j.is_object()) {}

  template <class T>
  JsonObjectReader& required(std::string_view key, T& out) {
    if (!ok_) return *this;
    const Json* value = find(key);
    ok_ = value != nullptr && !value->is_null() && readJson(*value, out);
    return *this;
  }

  // Missing or null gives nullopt.
  template <class T>
  JsonObjectReader& optional(std::string_view key, std::optional<T>& out) {
    if (!ok_) return *this;
    const Json* value = find(key);
    if (value == nullptr || value->is_null()) {
      out.reset();
      return *this;
    }
    T read{};
    ok_ = readJson(*value, read);
    if (ok_) out = std::move(read);
    return *this;
  }

  bool ok() const { return ok_; }

 private:
  const Json* find(std::string_view key) const;

  const Json& json_;
  bool ok_;
};

// Builds one JSON object; the first field that cannot be written fails the whole object.
class JsonObjectWriter {
 public:
  JsonObjectWriter() : json_(Json::object()) {}

  template <class T>
  JsonObjectWriter& field(std::string_view key, const T& value) {
    if (ok_) ok_ = writeJson(json_[std::string(key)], value);
    return *this;
  }

  // An absent value leaves the key out.
  template <class T>
  JsonObjectWriter& omittedIfAbsent(std::string_view key, const std::optional<T>& value) {
    if (value) field(key, *value);
    return *this;
  }

  // An absent value is written as null, the key present.
  template <class T>
  JsonObjectWriter& nullIfAbsent(std::string_view key, const std::optional<T>& value) {
    if (value) return field(key, *value);
    if (ok_) json_[std::string(key)] = nullptr;
    return *this;
  }

  // Hands the object to out, or leaves out untouched and gives false.
  bool finish(Json& out) {
    if (ok_) out = std::move(json_);
    return ok_;
  }

 private:
  Json json_;
  bool ok_ = true;
};

// The entry points.

template <class T>
std::optional<T> decodeStrict(const Json& j) {
  T value{};
  if (!readJson(j, value)) return std::nullopt;
  return value;
}

// A whole message body from the page: the body must be a valid JSON object as a whole, then it is
// decoded strictly as T (keys T does not declare, "type" among them, are ignored).
template <class T>
std::optional<T> decodeBody(const Json& body) {
  if (!isValidJsonObject(body)) return std::nullopt;
  return decodeStrict<T>(body);
}

template <class T>
std::optional<Json> encode(const T& value) {
  Json out;
  if (!writeJson(out, value)) return std::nullopt;
  return out;
}

// Generic definitions.

template <RawStringEnum E>
bool readJson(const Json& j, E& out) {
  if (!j.is_string()) return false;
  auto value = fromRaw<E>(j.get_ref<const std::string&>());
  if (!value) return false;
  out = *value;
  return true;
}

template <RawStringEnum E>
bool writeJson(Json& out, E value) {
  out = std::string(rawValue(value));
  return true;
}

template <class T>
bool readJson(const Json& j, std::vector<T>& out) {
  if (!j.is_array()) return false;
  std::vector<T> read;
  read.reserve(j.size());
  for (const Json& element : j) {
    T item{};
    if (!readJson(element, item)) return false;
    read.push_back(std::move(item));
  }
  out = std::move(read);
  return true;
}

template <class T>
bool writeJson(Json& out, const std::vector<T>& values) {
  Json array = Json::array();
  for (const T& value : values) {
    Json element;
    if (!writeJson(element, value)) return false;
    array.push_back(std::move(element));
  }
  out = std::move(array);
  return true;
}

}  // namespace brindlow
