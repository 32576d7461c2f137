// The shared 8-bit string: a write through one copy never shows in another,
// no copy reads a freed buffer, and the std::string meaning of each member.
#include "platform/text/AnsiString.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

const char kText[] = "\x82\xa0\x82\xa2 shared row text\r";  // longer than any small-string buffer

struct Change {
  const char* name;
  std::function<void(AnsiString&)> apply;
  std::string expected;
};

TEST(AnsiString, AChangeToACopyLeavesTheOtherCopiesAlone) {
  const std::string text = kText;
  const Change changes[] = {
      {"operator[]", [](AnsiString& s) { s[0] = 'X'; }, "X" + text.substr(1)},
      {"at", [](AnsiString& s) { s.at(1) = 'X'; }, text.substr(0, 1) + "X" + text.substr(2)},
      {"data", [](AnsiString& s) { s.data()[2] = 'X'; }, text.substr(0, 2) + "X" + text.substr(3)},
      {"front", [](AnsiString& s) { s.front() = 'X'; }, "X" + text.substr(1)},
      {"back", [](AnsiString& s) { s.back() = 'X'; }, text.substr(0, text.size() - 1) + "X"},
      {"begin", [](AnsiString& s) { *s.begin() = 'X'; }, "X" + text.substr(1)},
      {"end", [](AnsiString& s) { *(s.end() - 1) = 'X'; }, text.substr(0, text.size() - 1) + "X"},
      {"append", [](AnsiString& s) { s.append("yz"); }, text + "yz"},
      {"+= char", [](AnsiString& s) { s += '!'; }, text + "!"},
      {"push_back", [](AnsiString& s) { s.push_back('!'); }, text + "!"},
      {"pop_back", [](AnsiString& s) { s.pop_back(); }, text.substr(0, text.size() - 1)},
      {"resize longer", [](AnsiString& s) { s.resize(s.size() + 2, '-'); }, text + "--"},
      {"resize shorter", [](AnsiString& s) { s.resize(3); }, text.substr(0, 3)},
      {"insert", [](AnsiString& s) { s.insert(1, "ab"); }, text.substr(0, 1) + "ab" + text.substr(1)},
      {"erase", [](AnsiString& s) { s.erase(0, 2); }, text.substr(2)},
      {"replace", [](AnsiString& s) { s.replace(0, 2, "Q"); }, "Q" + text.substr(2)},
      {"assign", [](AnsiString& s) { s.assign("new"); }, "new"},
      {"assign count", [](AnsiString& s) { s.assign(3, 'z'); }, "zzz"},
      {"clear", [](AnsiString& s) { s.clear(); }, ""},
      {"reserve, then write", [](AnsiString& s) { s.reserve(200); s[0] = 'X'; }, "X" + text.substr(1)},
      {"shrink_to_fit, then write", [](AnsiString& s) { s.shrink_to_fit(); s[0] = 'X'; }, "X" + text.substr(1)},
  };
  for (const Change& c : changes) {
    const AnsiString original(kText);
    AnsiString copy = original;
    AnsiString third = copy;
    c.apply(copy);
    EXPECT_EQ(std::string(copy), c.expected) << c.name;
    EXPECT_EQ(original, kText) << c.name;
    EXPECT_EQ(third, kText) << c.name;
    EXPECT_EQ(original.use_count(), 2) << c.name;  // original and third still share
  }
}

TEST(AnsiString, AWritablePointerTakenBeforeACopyNeverReachesTheCopy) {
  const std::function<char*(AnsiString&)> takers[] = {
      [](AnsiString& s) { return s.data(); },
      [](AnsiString& s) { return &s[0]; },
      [](AnsiString& s) { return s.begin(); },
      [](AnsiString& s) { return &s.front(); },
  };
  for (const auto& take : takers) {
    AnsiString s(kText);
    char* p = take(s);
    const AnsiString copy = s;  // after the pointer: a buffer of its own
    p[0] = 'X';
    EXPECT_EQ(copy, kText);
    EXPECT_EQ(s[0], 'X');
    // A changing member ends the pointer's validity: copies share again.
    s.append("!");
    const AnsiString later = s;
    EXPECT_EQ(later.use_count(), 2);
  }
}

TEST(AnsiString, CopiesOutliveTheStringTheyWereTakenFrom) {
  auto first = std::make_unique<AnsiString>(kText);
  const AnsiString copy = *first;
  const AnsiString whole = first->substr(0);
  const AnsiString part = first->substr(2, 4);
  first.reset();  // the sanitizer sees any later read of a freed buffer
  EXPECT_EQ(copy, kText);
  EXPECT_EQ(whole, kText);
  EXPECT_EQ(part, std::string(kText).substr(2, 4));
  EXPECT_EQ(copy.use_count(), 2);
}

TEST(AnsiString, AStringChangedFromItsOwnBytesKeepsThem) {
  const std::string text = kText;
  const Change changes[] = {
      {"self-assignment", [](AnsiString& s) { s = *&s; }, text},
      {"self-move", [](AnsiString& s) { AnsiString& alias = s; s = std::move(alias); }, text},
      {"append itself", [](AnsiString& s) { s += s; }, text + text},
      {"append its tail", [](AnsiString& s) { s.append(s.c_str() + 2, 3); }, text + text.substr(2, 3)},
      {"insert itself", [](AnsiString& s) { s.insert(1, s); }, text.substr(0, 1) + text + text.substr(1)},
      {"assign its tail", [](AnsiString& s) { s.assign(s.c_str() + 4); }, text.substr(4)},
      {"replace by itself", [](AnsiString& s) { s.replace(0, 1, s); }, text + text.substr(1)},
  };
  for (const Change& c : changes) {
    AnsiString s(kText);
    s.reserve(400);  // room enough that nothing moves unless it must
    c.apply(s);
    EXPECT_EQ(std::string(s), c.expected) << c.name;
    AnsiString shared(kText);
    const AnsiString keep = shared;
    c.apply(shared);
    EXPECT_EQ(std::string(shared), c.expected) << c.name << " (shared)";
    EXPECT_EQ(keep, kText) << c.name;
  }
}

TEST(AnsiString, MovingHandsTheBufferOverAndLeavesTheSourceEmpty) {
  AnsiString a(kText);
  const char* buffer = a.c_str();
  AnsiString b = std::move(a);
  EXPECT_EQ(b.c_str(), buffer);
  EXPECT_TRUE(a.empty());  // NOLINT: the moved-from state is part of the contract
  AnsiString c("other");
  c = std::move(b);
  EXPECT_EQ(c.c_str(), buffer);
  EXPECT_EQ(c.use_count(), 1);
  a = "again";  // a moved-from string is usable
  EXPECT_EQ(a, "again");
}

TEST(AnsiString, BehavesAsStdStringForBytesSearchesAndBounds) {
  const AnsiString nul(std::string("a\0b\r", 4));
  EXPECT_EQ(nul.size(), 4u);
  EXPECT_EQ(nul.find('\0'), 1u);
  EXPECT_EQ(nul.substr(2), "b\r");
  EXPECT_NE(nul, AnsiString("a"));

  const AnsiString s("abcabc");
  EXPECT_EQ(s.find("ca"), 2u);
  EXPECT_EQ(s.rfind('a'), 3u);
  EXPECT_EQ(s.find('z'), AnsiString::npos);
  EXPECT_EQ(s.find_first_not_of("ab"), 2u);
  EXPECT_EQ(s.find_last_of("b"), 4u);
  EXPECT_EQ(s.substr(4, 99), "bc");
  EXPECT_EQ(s.substr(6), "");
  EXPECT_THROW(static_cast<void>(s.substr(7)), std::out_of_range);
  EXPECT_THROW(static_cast<void>(s.at(6)), std::out_of_range);
  EXPECT_THROW(AnsiString(s).erase(7), std::out_of_range);

  EXPECT_LT(AnsiString("ab"), AnsiString("b"));
  EXPECT_LT(AnsiString("\x82\xa0"), AnsiString("\x82\xa2"));  // bytes compare unsigned, as std::string's
  EXPECT_EQ(AnsiString("ab") + 'c' + "d" + AnsiString("e"), "abcde");
  EXPECT_EQ(AnsiString(3, 'x'), "xxx");
  EXPECT_EQ((AnsiString{'\x82', '\xa0'}).size(), 2u);  // a list of bytes, not a count

  AnsiString empty;
  EXPECT_STREQ(empty.c_str(), "");
  EXPECT_EQ(empty.data()[0], '\0');
  EXPECT_EQ(empty.use_count(), 0);
  empty.resize(2, 'q');
  EXPECT_EQ(empty, "qq");
}

}  // namespace
