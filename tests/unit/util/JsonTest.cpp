#include "util/Json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/LinkId.h"

namespace brindlow::test {
namespace {

struct Sample {
  std::int64_t n = 0;
  LinkId link = LinkId::support;
  std::optional<double> weight;
  std::vector<std::int64_t> cols;
  bool operator==(const Sample&) const = default;
};

bool readJson(const Json& j, Sample& out) {
  return JsonObjectReader(j)
      .required("n", out.n)
      .required("link", out.link)
      .optional("weight", out.weight)
      .required("cols", out.cols)
      .ok();
}

bool writeJson(Json& out, const Sample& value) {
  return JsonObjectWriter()
      .field("n", value.n)
      .field("link", value.link)
      .omittedIfAbsent("weight", value.weight)
      .field("cols", value.cols)
      .finish(out);
}

struct Marked {
  std::optional<std::string> name;
  std::optional<Sample> inner;
};

bool writeJson(Json& out, const Marked& value) {
  return JsonObjectWriter().nullIfAbsent("name", value.name).omittedIfAbsent("inner", value.inner).finish(out);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(Json, ScalarsReadOnlyTheirExactJsonType) {
  struct Case {
    const char* text;
    bool asBool, asInt, asDouble, asString;
  };
  const Case cases[] = {
      {"true", true, false, false, false},
      {"1", false, true, true, false},
      {"0", false, true, true, false},
      {"2.0", false, true, true, false},
      {"1.5", false, false, true, false},
      {"-0.5", false, false, true, false},
      {"\"6\"", false, false, false, true},
      {"null", false, false, false, false},
      {"[1]", false, false, false, false},
      {"{}", false, false, false, false},
      {"9223372036854775807", false, true, true, false},
      {"-9223372036854775808", false, true, true, false},
      {"9223372036854775808", false, false, true, false},
      {"1e19", false, false, true, false},
      {"-9.3e18", false, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Json j = Json::parse(c.text);
    EXPECT_EQ(decodeStrict<bool>(j).has_value(), c.asBool);
    EXPECT_EQ(decodeStrict<std::int64_t>(j).has_value(), c.asInt);
    EXPECT_EQ(decodeStrict<double>(j).has_value(), c.asDouble);
    EXPECT_EQ(decodeStrict<std::string>(j).has_value(), c.asString);
  }
}

TEST(Json, WholeNumbersReadAsIntegersAtTheirValue) {
  EXPECT_EQ(decodeStrict<std::int64_t>(Json::parse("2.0")), 2);
  EXPECT_EQ(decodeStrict<std::int64_t>(Json::parse("-9223372036854775808")),
            std::numeric_limits<std::int64_t>::min());
}

TEST(Json, NonFiniteNumbersNeverRead) {
  for (double bad : {kNaN, kInf, -kInf}) {
    EXPECT_FALSE(decodeStrict<double>(Json(bad)));
    EXPECT_FALSE(decodeStrict<std::int64_t>(Json(bad)));
  }
}

TEST(Json, EnumerationsReadOnlyTheirExactRawStrings) {
  for (const char* text : {"\"Support\"", "\"SUPPORT\"", "\" support\"", "\"\"", "0", "null"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(decodeStrict<LinkId>(Json::parse(text)));
  }
  EXPECT_EQ(decodeStrict<LinkId>(Json("inputSettings")), LinkId::inputSettings);
}

TEST(Json, RecordDecodesAllOrNothing) {
  const Json good = {{"n", 3}, {"link", "terms"}, {"weight", 1.5}, {"cols", {1, 2}}, {"type", "x"}, {"extra", nullptr}};
  ASSERT_EQ(decodeStrict<Sample>(good), (Sample{3, LinkId::terms, 1.5, {1, 2}}));

  struct Case {
    const char* what;
    const char* key;
    Json value;
  };
  const Case failing[] = {
      {"required key null", "n", nullptr},
      {"integer with a fraction", "n", 1.5},
      {"integer as a string", "n", "3"},
      {"raw string in other letter case", "link", "Terms"},
      {"optional of the wrong type", "weight", "heavy"},
      {"one list element fractional", "cols", {3, 4.5}},
      {"list as an object", "cols", Json::object()},
  };
  for (const Case& c : failing) {
    SCOPED_TRACE(c.what);
    Json j = good;
    j[c.key] = c.value;
    EXPECT_FALSE(decodeStrict<Sample>(j));
  }
  for (const char* key : {"n", "link", "cols"}) {
    SCOPED_TRACE(key);
    Json j = good;
    j.erase(key);
    EXPECT_FALSE(decodeStrict<Sample>(j));
  }
  EXPECT_FALSE(decodeStrict<Sample>(Json::array()));
  EXPECT_FALSE(decodeStrict<Sample>(Json("n")));
}

TEST(Json, OptionalFieldMissingOrNullIsAbsent) {
  const Json missing = {{"n", 1}, {"link", "support"}, {"cols", Json::array()}};
  Json null = missing;
  null["weight"] = nullptr;
  for (const Json& j : {missing, null}) {
    const auto s = decodeStrict<Sample>(j);
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->weight);
    EXPECT_TRUE(s->cols.empty());
  }
}

TEST(Json, BodyWithANonFiniteNumberAnywhereIsInvalid) {
  Json body = {{"type", "x"}, {"n", 1}, {"link", "privacy"}, {"cols", {1}}};
  EXPECT_TRUE(decodeBody<Sample>(body));
  Json withNaN = body;
  withNaN["ignored"] = {{"deep", {1.0, kNaN}}};
  EXPECT_TRUE(decodeStrict<Sample>(withNaN));  // the key itself is ignored...
  EXPECT_FALSE(decodeBody<Sample>(withNaN));   // ...but the body as a whole cannot be valid JSON
  EXPECT_FALSE(decodeBody<Sample>(Json::array({body})));
}

TEST(Json, EncodingWritesEveryFieldAndOmitsAbsentOnes) {
  EXPECT_EQ(encode(Sample{7, LinkId::privacy, std::nullopt, {}}),
            Json::parse(R"({"n": 7, "link": "privacy", "cols": []})"));
  EXPECT_EQ(encode(Sample{7, LinkId::privacy, 0.25, {5}}),
            Json::parse(R"({"n": 7, "link": "privacy", "weight": 0.25, "cols": [5]})"));
  EXPECT_EQ(encode(Marked{}), Json::parse(R"({"name": null})"));
  EXPECT_EQ(encode(Marked{"a", Sample{}}),
            Json::parse(R"({"name": "a", "inner": {"n": 0, "link": "support", "cols": []}})"));
}

TEST(Json, ANonFiniteNumberFailsTheWholeEncoding) {
  for (double bad : {kNaN, kInf, -kInf}) {
    EXPECT_FALSE(encode(bad));
    EXPECT_FALSE(encode(Sample{1, LinkId::terms, bad, {}}));
    EXPECT_FALSE(encode(Marked{"a", Sample{1, LinkId::terms, bad, {}}}));
    EXPECT_FALSE(encode(std::vector<double>{1.0, bad}));
  }
}

TEST(Json, FailedWriteLeavesTheTargetUntouched) {
  Json target = "before";
  EXPECT_FALSE(writeJson(target, Sample{1, LinkId::terms, kNaN, {}}));
  EXPECT_EQ(target, "before");
}

TEST(JsonText, UnpairedSurrogateEscapesReadAsReplacementCharacters) {
  struct Case {
    std::string text;
    std::string read;
  };
  const Case cases[] = {
      {R"(["\uD83D"])", R"(["\ufffd"])"},                      // a high half at the end of the string
      {R"(["a\ud83dz"])", R"(["a\ufffdz"])"},                  // lower-case hex, text after it
      {R"(["\uDE00x"])", R"(["\ufffdx"])"},                    // a low half alone
      {R"(["\uD83D\uD83D\uDE00"])", R"(["\ufffd\uD83D\uDE00"])"},  // a lone half before a pair
      {R"(["\uDE00\uD83D"])", R"(["\ufffd\ufffd"])"},         // the halves in the wrong order
      {R"(["\uD83D\n"])", R"(["\ufffd\n"])"},                 // another escape after it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string storage;
    EXPECT_EQ(browserJsonText(c.text, storage), std::optional<std::string_view>(c.read));
    EXPECT_NE(Json::parse(c.read)[0].get<std::string>().find("\xEF\xBF\xBD"), std::string::npos);
  }
}

TEST(JsonText, EverythingElseIsHandedOnAsItStands) {
  const std::string kept[] = {
      R"(["\uD83D\uDE00"])",  // a whole pair
      R"(["\\uD83D"])",       // an escaped backslash, then plain text
      R"({"\"": "\uD83"})",   // a short escape the parser refuses
      R"([1, "\u0041"])",
      "[\"\xF0\x9F\x98\x80\"]",  // the character itself
      "",
  };
  for (const std::string& text : kept) {
    SCOPED_TRACE(text);
    std::string storage;
    const std::optional<std::string_view> read = browserJsonText(text, storage);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->data(), text.data()) << "not copied";
  }
}

TEST(JsonText, ANulByteAnywhereRefusesTheText) {
  using namespace std::string_literals;
  for (const std::string& text : {"{\"a\":1}\0"s, "{\"a\":1}\0\0\0\0"s, "\0{}"s, "[\"a\0\"]"s}) {
    std::string storage;
    EXPECT_EQ(browserJsonText(text, storage), std::nullopt) << text.size();
  }
}

}  // namespace
}  // namespace brindlow::test
