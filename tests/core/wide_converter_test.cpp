// ANSI and wide text: sizes, blanks, the system code page and destinations that are too short.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pixet/wide_converter.h"

using pixet::WideConverter;
using pixet::WideString;

namespace {

struct Owned {
  WideString w;
  ~Owned() { WideConverter::Free(w); }
};

TEST(WideConverter, TextToWideDropsTrailingBlanks) {
  Owned s{WideConverter::TextToWide("ab   ")};
  ASSERT_NE(s.w.data, nullptr);
  EXPECT_EQ(s.w.bytes, 6u);
  EXPECT_EQ(std::wstring(s.w.data), L"ab");
}

TEST(WideConverter, BlankAndEmptyTextGiveTheEmptyWideString) {
  for (const char* text : {"", "    "}) {
    Owned s{WideConverter::TextToWide(text)};
    ASSERT_NE(s.w.data, nullptr);
    EXPECT_EQ(s.w.bytes, 2u);
    EXPECT_EQ(s.w.data[0], L'\0');
  }
}

TEST(WideConverter, UsesTheSystemCodePage) {
  Owned s{WideConverter::CStringToWide("caf\xE9 \x80")};  // 1252: e acute, euro sign
  ASSERT_NE(s.w.data, nullptr);
  EXPECT_EQ(std::wstring(s.w.data), L"caf\u00E9 \u20AC");
  EXPECT_EQ(s.w.bytes, 14u);
}

TEST(WideConverter, WideToTextPadsWithBlanks) {
  char dest[8];
  std::memset(dest, 'x', sizeof dest);
  EXPECT_EQ(WideConverter::WideToText(L"caf\u00E9", dest, 8), WideConverter::kDone);
  EXPECT_EQ(std::string(dest, 8), "caf\xE9    ");
}

TEST(WideConverter, WideToTextRefusesTooShortDestinations) {
  char dest[4] = {'k', 'e', 'e', 'p'};
  EXPECT_EQ(WideConverter::WideToText(L"12345", dest, 4), WideConverter::kTooShort);
  EXPECT_EQ(std::string(dest, 4), "keep");
}

TEST(WideConverter, WideToTextFillsExactly) {
  char guard[6] = {'0', '0', '0', '0', '0', '!'};
  EXPECT_EQ(WideConverter::WideToText(L"abcde", guard, 5), WideConverter::kDone);
  EXPECT_EQ(std::string(guard, 6), "abcde!") << "nothing written past the destination";
}

TEST(WideConverter, EmptyWideStringBlanksTheDestination) {
  char dest[3] = {'a', 'b', 'c'};
  EXPECT_EQ(WideConverter::WideToText(L"", dest, 3), WideConverter::kDone);
  EXPECT_EQ(std::string(dest, 3), "   ");
}

}  // namespace
