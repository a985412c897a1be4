#include "log/format.h"

#include <gtest/gtest.h>

namespace vyx {
namespace {

TEST(Format, VerbsProduceTheirPlainForms) {
  EXPECT_EQ(sformat("%d %s %v", 42, std::string("abc"), Error("boom")), "42 abc boom");
  EXPECT_EQ(sformat("%d", static_cast<uint64_t>(18446744073709551615ULL)), "18446744073709551615");
  EXPECT_EQ(sformat("%d", -7), "-7");
  EXPECT_EQ(sformat("%c|%c", U'ж', U'!'), "ж|!");
  EXPECT_EQ(sformat("100%% %v", true), "100% true");
  EXPECT_EQ(sformat("%x", 186778917), "b220525");
  EXPECT_EQ(sformat("Fix: %q → %q", "ghbdtn", "привет"), "Fix: \"ghbdtn\" → \"привет\"");
}

TEST(Format, QuoteEscapesOnlyWhatIsNotPrintable) {
  EXPECT_EQ(quote("привет"), "\"привет\"");
  EXPECT_EQ(quote("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(quote("tab\there\nnl\r"), "\"tab\\there\\nnl\\r\"");
  EXPECT_EQ(quote(std::string("\x01\x7f", 2)), "\"\\x01\\x7f\"");
  EXPECT_EQ(quote("nb\u00a0sp"), "\"nb\\u00a0sp\"");  // no-break space is not printable
  EXPECT_EQ(quote("line\u2028sep"), "\"line\\u2028sep\"");
  EXPECT_EQ(quote("№ «ёлка»"), "\"№ «ёлка»\"");
  EXPECT_EQ(quote("\xff"
                  "a\xc3"),
            "\"\\xffa\\xc3\"");  // ill-formed bytes one by one
  EXPECT_EQ(quote(""), "\"\"");
}

TEST(Format, EscapeControlsTouchesNothingButControlsAndBadBytes) {
  // What quote keeps, and what it escapes without being a control, stays.
  for (const char* kept : {"привет", "a\"b\\c", "nb\u00a0sp", "zero\u200bwidth", ""}) {
    EXPECT_EQ(escapeControls(kept), kept);
  }
  EXPECT_EQ(escapeControls("tab\there\nnl\r"), "tab\\there\\nnl\\r");
  EXPECT_EQ(escapeControls(std::string("\0\x1b[2J\x7f", 6)), "\\x00\\x1b[2J\\x7f");
  EXPECT_EQ(escapeControls("\u009b2J\u0085"), "\\u009b2J\\u0085");  // C1 controls
  EXPECT_EQ(escapeControls("\x9b"
                           "a\xc3"),
            "\\x9ba\\xc3");  // ill-formed bytes one by one
}

TEST(Format, WidthPadsByCodePointsAndNeverCuts) {
  EXPECT_EQ(sformat("[%-6s]", "abc"), "[abc   ]");
  EXPECT_EQ(sformat("[%-6s]", "ёлка"), "[ёлка  ]");  // 4 code points, 8 bytes
  EXPECT_EQ(sformat("[%6s]", "ёлка"), "[  ёлка]");
  EXPECT_EQ(sformat("[%-3s]", "длинное"), "[длинное]");
  EXPECT_EQ(sformat("[%5d]", 42), "[   42]");
  EXPECT_EQ(sformat("[%-8q]", "ж"), "[\"ж\"     ]");
}

TEST(Format, MismatchedArgumentsAreVisibleNotFatal) {
  EXPECT_EQ(sformat("a %d b %s"), "a %!d(MISSING) b %!s(MISSING)");
  EXPECT_EQ(sformat("x", 1), "x%!(EXTRA 1)");
  EXPECT_EQ(sformat("end %"), "end %");
}

TEST(Format, WrappedErrorKeepsCauseText) {
  const Error inner = Error::fromErrno("open /nope", ENOENT);
  const Error outer = Error::wrap("resolve config dir", inner);
  EXPECT_EQ(outer.message(), "resolve config dir: " + inner.message());
  EXPECT_EQ(outer.sysErrno(), ENOENT);
  ASSERT_NE(outer.cause(), nullptr);
  EXPECT_EQ(outer.cause()->message(), inner.message());
}

}  // namespace
}  // namespace vyx
