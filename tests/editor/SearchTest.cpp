// Search between two text positions: forwards and backwards, with and
// without letter case, across soft row ends, and within its bounds.
#include <string>
#include <vector>

#include "tests/editor/RowsFixture.h"

namespace {

TSearchOpts Opts(const std::vector<TSearchOpt>& on) {
  TSearchOpts o;
  for (TSearchOpt x : on) o << x;
  return o;
}

struct Case {
  const char* name;
  Rows rows;
  std::string pattern;
  TPoint start, end;
  std::vector<TSearchOpt> opts;
  TPoint expected;
};

class SearchTest : public RowsTest {
 protected:
  void Run(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SetRows(c.rows);
      TPoint got = edit->Search(c.pattern, c.start, c.end, Opts(c.opts));
      EXPECT_EQ(got.x, c.expected.x) << c.name;
      EXPECT_EQ(got.y, c.expected.y) << c.name;
    }
  }
};

// Code page 932 characters used below.
const std::string kSmallA = "\x82\x9F";  // ぁ
const std::string kEn = "\x89\x82";      // 奄 (its second byte is the first of ぁ)
const std::string kBaku = "\x9F\x40";    // 檗 (its first byte is the second of ぁ)
const std::string kDi = "\x83\x61";      // ヂ (its second byte is the letter a)
const std::string kA = "\x83\x41";       // ア (its second byte is the letter A)

}  // namespace

// The examples of a search: a paragraph held in two soft rows, letter case,
// and the start and end bounds.
TEST_F(SearchTest, FindsBetweenTwoPositions) {
  const std::vector<Case> cases = {
      {"forward across a soft row end", {"abc", "def\r"}, "cd", {0, 0}, {4, 1}, {}, {2, 0}},
      {"reverse across a soft row end", {"abc", "def\r"}, "cd", {3, 1}, {0, 0}, {soReverse}, {2, 0}},
      {"a paragraph end is no soft row end", {"abc\r", "def\r"}, "cd", {0, 0}, {4, 1}, {}, {-1, 1}},
      {"unless the pattern holds the CR", {"abc\r", "def\r"}, "c\rd", {0, 0}, {4, 1}, {}, {2, 0}},
      {"reverse with the CR", {"abc\r", "def\r"}, "c\rd", {4, 1}, {0, 0}, {soReverse}, {2, 0}},
      {"case ignored", {"xx abc\r"}, "ABC", {0, 0}, {7, 0}, {soIgnoreCase}, {3, 0}},
      {"case ignored both ways", {"xx ABC\r"}, "abc", {0, 0}, {7, 0}, {soIgnoreCase}, {3, 0}},
      {"case kept", {"xx abc\r"}, "ABC", {0, 0}, {7, 0}, {}, {-1, 0}},
      {"case ignored, reverse", {"abc abc\r"}, "ABC", {8, 0}, {0, 0}, {soReverse, soIgnoreCase}, {4, 0}},
      {"forward from column 3 skips column 1", {"xab ab\r"}, "ab", {3, 0}, {7, 0}, {}, {4, 0}},
      {"the start column itself is searched", {"xab ab\r"}, "ab", {1, 0}, {7, 0}, {}, {1, 0}},
      {"an occurrence reaching the end column is out", {"xxabc\r"}, "abc", {0, 0}, {4, 0}, {}, {-1, 0}},
      {"... one ending just before it is in", {"xxabc\r"}, "abc", {0, 0}, {5, 0}, {}, {2, 0}},
      {"reverse: nearest before the start", {"ab ab ab\r"}, "ab", {7, 0}, {0, 0}, {soReverse}, {3, 0}},
      {"reverse: an occurrence ending at the start", {"ab ab ab\r"}, "ab", {8, 0}, {0, 0}, {soReverse}, {6, 0}},
      {"reverse: overlapping occurrences count", {"aaa\r"}, "aa", {3, 0}, {0, 0}, {soReverse}, {1, 0}},
      {"reverse: not before the end column", {"ab ab\r"}, "ab", {5, 0}, {1, 0}, {soReverse}, {3, 0}},
      {"reverse: one beginning before the end column is out", {"ab ab\r"}, "ab", {3, 0}, {1, 0}, {soReverse}, {-1, 0}},
      {"forward over several rows", {"aaa\r", "bbb\r", "xcd\r"}, "cd", {0, 0}, {4, 2}, {}, {1, 2}},
      {"reverse over several rows", {"cd\r", "bbb\r", "aaa\r"}, "cd", {4, 2}, {0, 0}, {soReverse}, {0, 0}},
      {"an empty pattern finds nothing", {"abc\r"}, "", {0, 0}, {4, 0}, {}, {-1, 0}},
  };
  Run(cases);
}

// Faults of the search as first written, each with its sound result.
TEST_F(SearchTest, StaysInsideItsRange) {
  const std::vector<Case> cases = {
      // Bytes outside the range once became spaces that a pattern with
      // spaces at its ends could match.
      {"leading space against the start", {"xab\r"}, " ab", {1, 0}, {4, 0}, {}, {-1, 0}},
      {"trailing space against the end", {"abx\r"}, "ab ", {0, 0}, {2, 0}, {}, {-1, 0}},
      {"reverse: trailing space against the start", {"abx\r"}, "ab ", {2, 0}, {0, 0}, {soReverse}, {-1, 0}},
      {"reverse: leading space against the end", {"xab\r"}, " ab", {4, 0}, {1, 0}, {soReverse}, {-1, 0}},
      {"a real space still matches", {"x ab\r"}, " ab", {1, 0}, {5, 0}, {}, {1, 0}},
      // Bytes taken from the neighbouring end row once ignored its bound.
      {"forward into the end row past its end column", {"abc", "def\r"}, "cde", {0, 0}, {1, 1}, {}, {-1, 1}},
      {"forward into the end row within it", {"abc", "def\r"}, "cde", {0, 0}, {2, 1}, {}, {2, 0}},
      {"reverse into the end row before its end column", {"abc", "def\r"}, "bcd", {3, 1}, {2, 0}, {soReverse}, {-1, 0}},
      {"reverse into the end row within it", {"abc", "def\r"}, "bcd", {3, 1}, {1, 0}, {soReverse}, {1, 0}},
      // No row searched, or rows outside the text.
      {"forward with the start after the end", {"ab\r", "ab\r"}, "ab", {0, 1}, {3, 0}, {}, {-1, 0}},
      {"reverse with the start before the end", {"ab\r", "ab\r"}, "ab", {0, 0}, {3, 1}, {soReverse}, {-1, 1}},
      {"start row below 0", {"ab\r"}, "ab", {0, -1}, {3, 0}, {}, {-1, 0}},
      {"end row past the text", {"ab\r"}, "ab", {0, 0}, {0, 5}, {}, {-1, 5}},
      {"columns outside the row are clamped", {"ab\r"}, "ab", {-4, 0}, {99, 0}, {}, {0, 0}},
  };
  Run(cases);
}

// Matches begin and end on character boundaries; letter case is folded on
// single-byte characters only.
TEST_F(SearchTest, DoubleByteCharactersStayWhole) {
  const std::vector<Case> cases = {
      // "ぁ" reversed over ぁ奄檗 once restarted on a trail byte and reported
      // the bytes across 奄 and 檗.
      {"reverse restarts on a character", {kSmallA + kEn + kBaku + "\r"}, kSmallA, {7, 0}, {0, 0}, {soReverse}, {0, 0}},
      {"forward never starts on a trail byte", {kEn + kBaku + "\r"}, kSmallA, {0, 0}, {5, 0}, {}, {-1, 0}},
      {"reverse over two rows", {kEn, kBaku + "\r"}, kSmallA, {3, 1}, {0, 0}, {soReverse}, {-1, 0}},
      {"a double-byte pattern is found", {"x" + kEn + kSmallA + "\r"}, kSmallA, {0, 0}, {6, 0}, {}, {3, 0}},
      {"case folding leaves trail bytes", {kA + kDi + "\r"}, kDi, {0, 0}, {5, 0}, {soIgnoreCase}, {2, 0}},
      {"a letter is not found in a trail byte", {kDi + "\r"}, "a", {0, 0}, {3, 0}, {soIgnoreCase}, {-1, 0}},
      {"... nor the upper-case letter", {kA + "\r"}, "a", {0, 0}, {3, 0}, {soIgnoreCase}, {-1, 0}},
  };
  Run(cases);
}
