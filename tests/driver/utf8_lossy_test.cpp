#include "driver/utf8_lossy.h"

#include <gtest/gtest.h>

namespace driver {
namespace {

TEST(DecodeUtf8Lossy, KeepsValidTextAndReplacesEachInvalidSequence) {
  const struct {
    std::string_view bytes;
    std::string_view text;
  } cases[] = {
      {"", ""},
      {"plain \xc3\xbc \xe2\x82\xac \xf0\x9f\x90\xa6\n",
       "plain \xc3\xbc \xe2\x82\xac \xf0\x9f\x90\xa6\n"},
      {"a\x80z", "a\uFFFDz"},              // stray continuation byte
      {"a\xc0\xafz", "a\uFFFDz"},          // overlong encoding
      {"a\xed\xa0\x80z", "a\uFFFDz"},      // surrogate
      {"end \xf0\x9f\x90", "end \uFFFD"},  // cut off at the end
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decode_utf8_lossy(c.bytes), c.text) << c.bytes;
  }
}

}  // namespace
}  // namespace driver
