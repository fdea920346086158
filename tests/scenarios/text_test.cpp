#include "scenarios/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using scenarios::is_blank;

TEST(IsBlank, EmptyAndAsciiWhiteSpaceAreBlank) {
  EXPECT_TRUE(is_blank(""));
  EXPECT_TRUE(is_blank(" \t\n\v\f\r"));
  EXPECT_TRUE(is_blank("\r\n\r\n"));
}

TEST(IsBlank, EveryUnicodeWhiteSpaceIsBlank) {
  const char* white_space[] = {
      "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003",
      "\u2004", "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200A",
      "\u2028", "\u2029", "\u202F", "\u205F", "\u3000",
  };
  for (const char* c : white_space) {
    EXPECT_TRUE(is_blank(c)) << "U+" << std::hex << static_cast<int>(c[0]);
    EXPECT_TRUE(is_blank(std::string(" ") + c + "\n"));
  }
}

TEST(IsBlank, LookAlikesThatAreNotWhiteSpaceAreNotBlank) {
  // Zero width space, Mongolian vowel separator, byte order mark, U+001C..U+001F.
  for (const char* c : {"\u200B", "\u180E", "\uFEFF", "\x1C", "\x1F", "\u00AD"}) {
    EXPECT_FALSE(is_blank(c)) << c;
  }
}

TEST(IsBlank, AnyOtherCharacterIsNotBlank) {
  EXPECT_FALSE(is_blank("{}"));
  EXPECT_FALSE(is_blank("  x  "));
  EXPECT_FALSE(is_blank("\n\n.\n"));
  EXPECT_FALSE(is_blank("\u3000\u00E9\u3000"));
  EXPECT_FALSE(is_blank(std::string("\0", 1)));
}

TEST(IsBlank, InvalidUtf8IsNotBlank) {
  EXPECT_FALSE(is_blank("\xff"));
  EXPECT_FALSE(is_blank(" \xc2"));     // a truncated no-break space
  EXPECT_FALSE(is_blank("\xc0\xa0"));  // an overlong space
  EXPECT_FALSE(is_blank("\xe3\x80"));  // a truncated ideographic space
}

}  // namespace
