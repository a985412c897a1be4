#include "store/exceptions_file.h"

#include <gtest/gtest.h>

namespace vyx {
namespace {

WallTime at(std::string_view text) {
  std::optional<WallTime> t = parseRfc3339(text);
  EXPECT_TRUE(t.has_value()) << text;
  return t.value_or(WallTime{});
}

std::string formatted(const WallTime& t) {
  Result<std::string> s = formatRfc3339(t);
  return s.ok() ? *s : "error: " + s.error().message();
}

TEST(WallTime, FormatsWithTheFractionOnlyWhenNotZero) {
  EXPECT_EQ(formatted(WallTime{}), "0001-01-01T00:00:00Z");
  EXPECT_EQ(formatted(WallTime{0, 0, 0}), "1970-01-01T00:00:00Z");
  EXPECT_EQ(formatted(WallTime{1'700'000'000, 120'000'000, 0}), "2023-11-14T22:13:20.12Z");
  EXPECT_EQ(formatted(WallTime{-1, 999'999'999, 0}), "1969-12-31T23:59:59.999999999Z");
  EXPECT_EQ(formatted(WallTime{951'782'400, 1, 0}), "2000-02-29T00:00:00.000000001Z");
  // Shown in the offset it carries.
  EXPECT_EQ(formatted(WallTime{0, 0, 3 * 3600 + 30 * 60}), "1970-01-01T03:30:00+03:30");
  EXPECT_EQ(formatted(WallTime{0, 0, -(5 * 3600)}), "1969-12-31T19:00:00-05:00");
  EXPECT_EQ(formatted(WallTime{253'402'300'800, 0, 0}), "error: year outside of range [0,9999]");
  EXPECT_EQ(formatted(wallTimeUtc(SysTime(std::chrono::seconds(86400)))), "1970-01-02T00:00:00Z");
}

TEST(WallTime, ParsesStrictRfc3339) {
  EXPECT_EQ(at("2023-11-14T22:13:20.12Z"), (WallTime{1'700'000'000, 120'000'000, 0}));
  EXPECT_EQ(at("2023-11-15T01:13:20+03:00"), (WallTime{1'700'000'000, 0, 10800}));
  EXPECT_EQ(at("0001-01-01T00:00:00Z"), WallTime{});
  // Digits past the ninth are dropped; -00:00 is UTC.
  EXPECT_EQ(at("1970-01-01T00:00:00.1234567899Z").nanos, 123'456'789);
  EXPECT_EQ(at("1970-01-01T00:00:00-00:00"), (WallTime{0, 0, 0}));
  EXPECT_EQ(at("2024-02-29T23:59:59Z").unixSeconds, 1'709'251'199);
  for (const char* bad : {"",
                          "2023-11-14",
                          "2023-11-14 22:13:20Z",
                          "2023-11-14T22:13:20",
                          "2023-11-14t22:13:20z",
                          "2023-13-01T00:00:00Z",
                          "2023-02-29T00:00:00Z",
                          "1900-02-29T00:00:00Z",
                          "2023-04-31T00:00:00Z",
                          "2023-01-01T24:00:00Z",
                          "2023-01-01T00:60:00Z",
                          "2023-01-01T00:00:60Z",
                          "2023-01-01T00:00:00.Z",
                          "2023-01-01T00:00:00,5Z",
                          "2023-01-01T00:00:00+24:00",
                          "2023-01-01T00:00:00+01:60",
                          "2023-01-01T00:00:00+0100",
                          "2023-01-01T00:00:00Z ",
                          "+2023-01-01T00:00:00Z",
                          "2023-1-01T00:00:00Z",
                          "2023-01-01T0:00:00Z"}) {
    EXPECT_FALSE(parseRfc3339(bad).has_value()) << bad;
  }
}

TEST(WallTime, ArithmeticCrossesSecondsBothWays) {
  const WallTime t{10, 900'000'000, 3600};
  EXPECT_EQ(addDuration(t, std::chrono::milliseconds(200)), (WallTime{11, 100'000'000, 3600}));
  EXPECT_EQ(addDuration(t, -std::chrono::milliseconds(950)), (WallTime{9, 950'000'000, 3600}));
  EXPECT_TRUE(WallTime({5, 1, 0}).before(WallTime{5, 2, -3600}));
  EXPECT_FALSE(WallTime({5, 2, 0}).before(WallTime{5, 2, 7200}));
}

TEST(ExceptionsFileWrite, ExactLayout) {
  ExceptionsFile f;
  f.Version = 1;
  f.Updated = WallTime{1'700'000'000, 0, 0};
  EXPECT_EQ(*encodeExceptionsFile(f),
            "{\n  \"version\": 1,\n  \"updated\": \"2023-11-14T22:13:20Z\",\n  \"entries\": []\n}");
  f.Entries.push_back({"*", "ghbdtn", WallTime{1'700'000'000, 5, 0}, 3});
  f.Entries.push_back({"com.a", "слово", WallTime{}, 0});
  EXPECT_EQ(*encodeExceptionsFile(f),
            "{\n"
            "  \"version\": 1,\n"
            "  \"updated\": \"2023-11-14T22:13:20Z\",\n"
            "  \"entries\": [\n"
            "    {\n"
            "      \"app\": \"*\",\n"
            "      \"word\": \"ghbdtn\",\n"
            "      \"added\": \"2023-11-14T22:13:20.000000005Z\",\n"
            "      \"hit_count\": 3\n"
            "    },\n"
            "    {\n"
            "      \"app\": \"com.a\",\n"
            "      \"word\": \"слово\",\n"
            "      \"added\": \"0001-01-01T00:00:00Z\",\n"
            "      \"hit_count\": 0\n"
            "    }\n"
            "  ]\n"
            "}");
}

TEST(ExceptionsFileWrite, EscapesLikeHtmlSafeJson) {
  ExceptionsFile f;
  f.Entries.push_back(
      {"a<b>&c", std::string("q\"\\/\n\r\t\b\f\x01\x7f") + "\u2028\u2029é\xff", WallTime{}, 1});
  const std::string text = *encodeExceptionsFile(f);
  EXPECT_NE(text.find(R"("app": "a\u003cb\u003e\u0026c")"), std::string::npos) << text;
  EXPECT_NE(text.find("\"word\": \"q\\\"\\\\/\\n\\r\\t\\b\\f\\u0001\x7f\\u2028\\u2029é\\ufffd\""),
            std::string::npos)
      << text;
  // And it reads back to the same characters (the stray byte as U+FFFD).
  Result<ExceptionsFile> back = decodeExceptionsFile(text);
  ASSERT_TRUE(back.ok()) << back.error().message();
  EXPECT_EQ(back->Entries[0].App, "a<b>&c");
  EXPECT_EQ(back->Entries[0].Word, std::string("q\"\\/\n\r\t\b\f\x01\x7f") + "\u2028\u2029é\uFFFD");
}

TEST(ExceptionsFileRead, MemberNamesIgnoreCaseAndUnknownMembersAreSkipped) {
  Result<ExceptionsFile> f = decodeExceptionsFile(R"({
    "VERSION": 7, "extra": {"deep": [[{"x": null}], 1.5e300]},
    "Entries": [
      {"App": "com.a", "WORD": "one", "Added": "2020-01-02T03:04:05+05:00", "Hit_Count": 9,
       "note": ["ignored"]},
      {"word": "two"},
      null,
      {"app": "x", "word": "y", "app": "later", "APP": "latest"}
    ],
    "updated": null
  })");
  ASSERT_TRUE(f.ok()) << f.error().message();
  EXPECT_EQ(f->Version, 7);
  EXPECT_EQ(f->Updated, WallTime{});
  ASSERT_EQ(f->Entries.size(), 4u);
  EXPECT_EQ(f->Entries[0].App, "com.a");
  EXPECT_EQ(f->Entries[0].HitCount, 9);
  EXPECT_EQ(*formatRfc3339(f->Entries[0].Added), "2020-01-02T03:04:05+05:00");
  EXPECT_EQ(f->Entries[1].App, "");
  EXPECT_EQ(f->Entries[1].HitCount, 0);
  EXPECT_EQ(f->Entries[1].Added, WallTime{});
  EXPECT_EQ(f->Entries[2].Word, "");
  EXPECT_EQ(f->Entries[3].App, "latest");
}

TEST(ExceptionsFileRead, NullAndEmptyShapes) {
  for (const char* text :
       {"null", " null \n", "{}", R"({"entries": null})", R"({"entries": []})"}) {
    Result<ExceptionsFile> f = decodeExceptionsFile(text);
    ASSERT_TRUE(f.ok()) << text;
    EXPECT_TRUE(f->Entries.empty()) << text;
  }
  // A later "entries" replaces an earlier one.
  Result<ExceptionsFile> twice =
      decodeExceptionsFile(R"({"entries": [{"word": "a"}], "entries": [{"word": "b"}]})");
  ASSERT_TRUE(twice.ok());
  ASSERT_EQ(twice->Entries.size(), 1u);
  EXPECT_EQ(twice->Entries[0].Word, "b");
}

TEST(ExceptionsFileRead, HalfASurrogatePairCostsOneCharacterNotTheFile) {
  Result<ExceptionsFile> f = decodeExceptionsFile(
      R"({"entries": [{"word": "x\ud800y"}, {"word": "\udc00"}, {"word": "\ud83d\ude00"},)"
      R"( {"word": "\\ud800"}, {"word": "\ud800\u0041"}]})");
  ASSERT_TRUE(f.ok()) << f.error().message();
  ASSERT_EQ(f->Entries.size(), 5u);
  EXPECT_EQ(f->Entries[0].Word, "x\uFFFDy");
  EXPECT_EQ(f->Entries[1].Word, "\uFFFD");
  EXPECT_EQ(f->Entries[2].Word, "\U0001F600");  // a whole pair stays
  EXPECT_EQ(f->Entries[3].Word, "\\ud800");     // an escaped backslash, not an escape
  EXPECT_EQ(f->Entries[4].Word, "\uFFFDA");
}

TEST(ExceptionsFileRead, RejectsWhatDoesNotFitTheShape) {
  for (const char* bad : {
           "",
           "   ",
           "not json",
           "{",
           R"({"entries": []} trailing)",
           R"({"entries": []}{})",
           "[]",
           "\"text\"",
           "1",
           R"({"version": "1"})",
           R"({"version": 1.0})",
           R"({"version": 9223372036854775808})",
           R"({"updated": 5})",
           R"({"updated": "yesterday"})",
           R"({"entries": {}})",
           R"({"entries": [1]})",
           R"({"entries": [[]]})",
           R"({"entries": [{"word": 5}]})",
           R"({"entries": [{"app": true, "word": "x"}]})",
           R"({"entries": [{"word": "x", "hit_count": "3"}]})",
           R"({"entries": [{"word": "x", "hit_count": 1e2}]})",
           R"({"entries": [{"word": "x", "added": "2020-02-30T00:00:00Z"}]})",
           R"({"entries": [{"word": "x", "added": ""}]})",
           R"({"entries": [{"word": "x",}]})",
           "{\"entries\": [{\"word\": \"a\nb\"}]}",
       }) {
    EXPECT_FALSE(decodeExceptionsFile(bad).ok()) << bad;
  }
}

TEST(ExceptionsFileRead, NumbersAtTheEdgesOfTheRange) {
  Result<ExceptionsFile> f = decodeExceptionsFile(
      R"({"entries": [{"word": "a", "hit_count": 9223372036854775807},
                      {"word": "b", "hit_count": -9223372036854775808}, {"word": "c", "hit_count": -0}]})");
  ASSERT_TRUE(f.ok()) << f.error().message();
  EXPECT_EQ(f->Entries[0].HitCount, INT64_MAX);
  EXPECT_EQ(f->Entries[1].HitCount, INT64_MIN);
  EXPECT_EQ(f->Entries[2].HitCount, 0);
}

TEST(ExceptionsFileRead, DeepNestingInAnUnknownMemberIsSkippedWithoutRecursion) {
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  Result<ExceptionsFile> f = decodeExceptionsFile(R"({"junk": )" + deep + R"(, "entries": []})");
  EXPECT_TRUE(f.ok());
}

}  // namespace
}  // namespace vyx
