#include "weather/work_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace {

using namespace std::string_literals;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

WorkBuffer Holding(std::string_view text) {
  WorkBuffer buffer;
  buffer.SetWholeText(text);
  return buffer;
}

// ---- Appending -------------------------------------------------------------

TEST(WorkBufferAppend, FreshBufferHoldsTwoEmptyLinesAndAppendsBehindThem) {
  WorkBuffer buffer;
  EXPECT_EQ(buffer.WholeText(), "\r\n\r\n");
  EXPECT_EQ(buffer.Length(), 4);
  buffer.AppendLine("abc");
  EXPECT_EQ(buffer.WholeText(), "\r\n\r\nabc\r\n");
}

TEST(WorkBufferAppend, ClearedBufferGetsEachLineWithItsBreakBehindIt) {
  WorkBuffer buffer;
  buffer.ClearBuffer();
  EXPECT_EQ(buffer.WholeText(), "");
  EXPECT_EQ(buffer.Length(), 0);
  buffer.AppendLine("a");
  buffer.AppendLine("b");
  EXPECT_EQ(buffer.WholeText(), "a\r\nb\r\n");
  EXPECT_EQ(buffer.Length(), 6);
}

TEST(WorkBufferAppend, BehindANonEmptyLastLineEachLineStartsANewLine) {
  WorkBuffer buffer = Holding("xyz");
  buffer.AppendLine("a");
  buffer.AppendLine("b");
  EXPECT_EQ(buffer.WholeText(), "xyz\r\na\r\nb");
  // A text ending in a lone CR or LF does not end in a line break.
  WorkBuffer lone_lf = Holding("x\n");
  lone_lf.AppendLine("a");
  EXPECT_EQ(lone_lf.WholeText(), "x\n\r\na");
  WorkBuffer lone_cr = Holding("x\r");
  lone_cr.AppendLine("a");
  EXPECT_EQ(lone_cr.WholeText(), "x\r\r\na");
}

TEST(WorkBufferAppend, EveryByteOfALineIsStoredAsGiven) {
  WorkBuffer buffer;
  buffer.ClearBuffer();
  const std::string line = "a\0b\t\x7f\xe9\xff"s;
  buffer.AppendLine(line);
  EXPECT_EQ(buffer.WholeText(), line + "\r\n");
  EXPECT_EQ(buffer.Length(), 9);
}

TEST(WorkBufferAppend, ALineTakenFromTheBufferItselfIsCopiedWhole) {
  WorkBuffer buffer = Holding("first line of some length");
  for (int i = 0; i < 6; ++i) buffer.AppendLine(buffer.WholeText());
  EXPECT_EQ(buffer.Length(), 25 * 64 + 2 * 63);
  EXPECT_EQ(buffer.Excerpt(0, 27), "first line of some length\r\n");
}

// ---- Capacity --------------------------------------------------------------

TEST(WorkBufferCapacity, ALineThatFitsExactlyGoesIn) {
  WorkBuffer buffer(16);
  buffer.AppendLine("0123456789");  // 4 + 10 + 2
  EXPECT_EQ(buffer.Length(), 16);
}

TEST(WorkBufferCapacity, ALineThatDoesNotFitFailsAndLeavesTheTextAsItWas) {
  WorkBuffer buffer(16);
  try {
    buffer.AppendLine("01234567890");  // one over
    FAIL() << "no error";
  } catch (const EWorkBufferError& e) {
    EXPECT_STREQ(e.what(), "RichEdit line insertion error");
  }
  EXPECT_EQ(buffer.WholeText(), "\r\n\r\n");

  buffer.SetWholeText("0123456789abcde");  // 15: the break alone no longer fits
  EXPECT_THROW(buffer.AppendLine(""), EWorkBufferError);
  EXPECT_THROW(buffer.AppendLine("x"), EWorkBufferError);
  EXPECT_EQ(buffer.WholeText(), "0123456789abcde");
  // What failed as a whole does not go in by halves either.
  buffer.ClearBuffer();
  buffer.AppendLine("0123456789abcd");
  EXPECT_EQ(buffer.Length(), 16);
}

TEST(WorkBufferCapacity, TheOtherEditsRespectTheCapacityToo) {
  WorkBuffer buffer(8);
  EXPECT_THROW(buffer.SetWholeText("123456789"), EWorkBufferError);
  EXPECT_EQ(buffer.WholeText(), "\r\n\r\n");
  buffer.SetWholeText("12345678");
  EXPECT_THROW(buffer.ReplaceRange(8, 0, "x"), EWorkBufferError);
  EXPECT_EQ(buffer.WholeText(), "12345678");
  buffer.ReplaceRange(0, 2, "ab");  // same length: fits
  EXPECT_EQ(buffer.WholeText(), "ab345678");
}

TEST(WorkBufferCapacity, TheCapacityHoldsAtLeastTheInitialTextAndAtMostTheLargestPosition) {
  WorkBuffer tiny(0);
  EXPECT_EQ(tiny.Capacity(), 4u);
  EXPECT_EQ(tiny.WholeText(), "\r\n\r\n");
  EXPECT_THROW(tiny.AppendLine("a"), EWorkBufferError);
  WorkBuffer huge(std::size_t{1} << 40);
  EXPECT_EQ(huge.Capacity(), static_cast<std::size_t>(kMax));
  EXPECT_EQ(WorkBuffer().Capacity(), std::size_t{16} << 20);
}

TEST(WorkBufferCapacity, TheDefaultTakesTwoFetchesOfOneCharacterLines) {
  WorkBuffer buffer;
  for (int j = 0; j < 2 * 16384; ++j) buffer.AppendLine("x");  // each fetch "x\n" x 16,384
  EXPECT_EQ(buffer.Length(), 4 + 2 * 16384 * 3);
}

// ---- Searching -------------------------------------------------------------

TEST(WorkBufferFind, AnOccurrenceMustLieWhollyInsideTheRange) {
  const WorkBuffer abc = Holding("xxABCxx");
  EXPECT_EQ(abc.FindCaseless("abc", 0, 7), 2);
  EXPECT_EQ(abc.FindCaseless("ABC", 2, 3), 2);
  EXPECT_EQ(abc.FindCaseless("abc", 3, 4), -1);
  EXPECT_EQ(abc.FindCaseless("abc", 2, 2), -1);  // range shorter than the needle

  const WorkBuffer not_at_end = Holding("0123456789NOT");
  EXPECT_EQ(not_at_end.FindCaseless("NOT", 0, 12), -1);
  EXPECT_EQ(not_at_end.FindCaseless("NOT", 0, 13), 10);
  EXPECT_EQ(not_at_end.FindCaseless("NOT", 10, 18), 10);  // range cut back to the end
  EXPECT_EQ(not_at_end.FindCaseless("NOT", 10, kMax), 10);
  EXPECT_EQ(not_at_end.FindCaseless("NOT", 11, 18), -1);
}

TEST(WorkBufferFind, StartsAtOrPastTheEndFindNothing) {
  const WorkBuffer buffer = Holding("SUNNY");
  EXPECT_EQ(buffer.FindCaseless("sun", 0, buffer.Length()), 0);
  EXPECT_EQ(buffer.FindCaseless("y", 4, 1), 4);
  EXPECT_EQ(buffer.FindCaseless("y", 5, 1), -1);
  EXPECT_EQ(buffer.FindCaseless("y", kMax, kMax), -1);
  EXPECT_EQ(WorkBuffer(4).FindCaseless("\r", 4, 10), -1);
  WorkBuffer empty;
  empty.ClearBuffer();
  EXPECT_EQ(empty.FindCaseless("a", 0, 10), -1);
}

TEST(WorkBufferFind, NegativeStartsEmptySpansAndEmptyNeedles) {
  const WorkBuffer buffer = Holding("abcabc");
  // A negative start searches from the beginning; the range still ends at start + span.
  EXPECT_EQ(buffer.FindCaseless("abc", -3, 6), 0);
  EXPECT_EQ(buffer.FindCaseless("abc", -3, 5), -1);
  EXPECT_EQ(buffer.FindCaseless("abc", -1, kMax), 0);
  EXPECT_EQ(buffer.FindCaseless("abc", kMin, kMax), -1);  // the range ends at -1
  EXPECT_EQ(buffer.FindCaseless("abc", 1, -5), -1);
  EXPECT_EQ(buffer.FindCaseless("abc", 1, 0), -1);
  EXPECT_EQ(buffer.FindCaseless("", 0, 6), -1);
}

TEST(WorkBufferFind, OnlyAsciiLettersAreFolded) {
  const WorkBuffer buffer = Holding("a[b@c\xe9z\0x"s);
  EXPECT_EQ(buffer.FindCaseless("A[B@C", 0, buffer.Length()), 0);
  // Characters 0x20 apart that are not letters stay distinct.
  EXPECT_EQ(buffer.FindCaseless("{", 0, buffer.Length()), -1);
  EXPECT_EQ(buffer.FindCaseless("`", 0, buffer.Length()), -1);
  EXPECT_EQ(buffer.FindCaseless("\xc9", 0, buffer.Length()), -1);
  EXPECT_EQ(buffer.FindCaseless("\xe9Z", 0, buffer.Length()), 5);
  EXPECT_EQ(buffer.FindCaseless("\0X"s, 0, buffer.Length()), 7);
}

TEST(WorkBufferFind, ASingleCrOrLfFindsThatHalfOfALineBreak) {
  const WorkBuffer buffer = Holding("ab\r\ncd\r\n");
  EXPECT_EQ(buffer.FindCaseless("\n", 2, buffer.Length()), 3);
  EXPECT_EQ(buffer.FindCaseless("\r", 2, buffer.Length()), 2);
  EXPECT_EQ(buffer.FindCaseless("\r", 3, buffer.Length()), 6);
  EXPECT_EQ(buffer.FindCaseless("\r\nc", 0, buffer.Length()), 2);
  EXPECT_EQ(buffer.FindCaseless("\n", 8, buffer.Length()), -1);
}

TEST(WorkBufferFind, OverlappingPartialMatchesAreNotSkipped) {
  const WorkBuffer buffer = Holding("aaaAAB ababAbAC NONOT");
  EXPECT_EQ(buffer.FindCaseless("aab", 0, buffer.Length()), 3);
  EXPECT_EQ(buffer.FindCaseless("ABAC", 0, buffer.Length()), 11);
  EXPECT_EQ(buffer.FindCaseless("not", 0, buffer.Length()), 18);
}

// ---- Ranges: cut-backs and negative lengths ---------------------------------

TEST(WorkBufferRange, LengthsCountFromTheStartAndNegativeOnesTakeWhatIsBefore) {
  const WorkBuffer buffer = Holding("abcdef");
  EXPECT_EQ(buffer.Excerpt(3, -3), "abc");
  EXPECT_EQ(buffer.Excerpt(0, 6), "abcdef");
  EXPECT_EQ(buffer.Excerpt(4, 0), "");
  EXPECT_EQ(buffer.Excerpt(1, 2), "bc");
  EXPECT_EQ(buffer.Excerpt(5, -2), "de");
}

TEST(WorkBufferRange, RangesPastTheEndAreCutBack) {
  const WorkBuffer buffer = Holding("abcdef");
  EXPECT_EQ(buffer.Excerpt(100, 5), "");
  EXPECT_EQ(buffer.Excerpt(2, 100), "cdef");
  EXPECT_EQ(buffer.Excerpt(2, kMax), "cdef");
  // The length counts from the start as placed at the end, not as requested.
  EXPECT_EQ(buffer.Excerpt(100, -3), "def");
  EXPECT_EQ(buffer.Excerpt(kMax, -1), "f");
}

TEST(WorkBufferRange, EndsBelowZeroAndNegativeStartsMeanTheBeginning) {
  const WorkBuffer buffer = Holding("abcdef");
  // A start past the end with start + length == 0 takes everything.
  EXPECT_EQ(buffer.Excerpt(10, -10), "abcdef");
  EXPECT_EQ(buffer.Excerpt(3, -100), "abc");
  EXPECT_EQ(buffer.Excerpt(3, kMin), "abc");
  EXPECT_EQ(buffer.Excerpt(-3, 2), "ab");
  EXPECT_EQ(buffer.Excerpt(-3, -2), "");
  EXPECT_EQ(buffer.Excerpt(kMin, kMax), "abcdef");
}

// ---- Ranges at line breaks --------------------------------------------------

TEST(WorkBufferRange, ABoundaryBetweenCrAndLfMovesBackOntoTheCr) {
  const WorkBuffer buffer = Holding("ab\r\ncd");  // CR at 2, LF at 3
  EXPECT_EQ(buffer.Excerpt(3, 2), "\r\n");
  EXPECT_EQ(buffer.Excerpt(2, 2), "\r\n");
  EXPECT_EQ(buffer.Excerpt(1, 2), "b");  // end moved back from the LF
  EXPECT_EQ(buffer.Excerpt(3, 1), "");   // both ends on the CR
  EXPECT_EQ(buffer.Excerpt(3, -1), "b");
  EXPECT_EQ(buffer.Excerpt(5, -2), "\r\nc");  // e = 3 moves back to 2
  EXPECT_EQ(buffer.Excerpt(3, 100), "\r\ncd");
  EXPECT_EQ(buffer.Excerpt(3, -100), "ab");
}

TEST(WorkBufferRange, LoneCrAndLfAndBreaksAtTheEdgesAreNotMoved) {
  const WorkBuffer lone = Holding("a\nb\rc");
  EXPECT_EQ(lone.Excerpt(1, 1), "\n");
  EXPECT_EQ(lone.Excerpt(3, 1), "\r");
  EXPECT_EQ(lone.Excerpt(2, 2), "b\r");
  const WorkBuffer edges = Holding("\r\nx\r\n");
  EXPECT_EQ(edges.Excerpt(0, 2), "\r\n");
  EXPECT_EQ(edges.Excerpt(1, 4), "\r\nx");  // s back to 0, e = 4 back to 3
  EXPECT_EQ(edges.Excerpt(4, 1), "");       // s back to 3, e = 4 back to 3
  EXPECT_EQ(edges.Excerpt(4, 2), "\r\n");   // s back to 3, e = 5, the end
}

// ---- Replacing and inserting -------------------------------------------------

TEST(WorkBufferReplace, AnEmptyRangeReceivesTheReplacementAsAnInsertion) {
  WorkBuffer buffer = Holding("abcd");
  buffer.ReplaceRange(2, 0, "X");
  EXPECT_EQ(buffer.WholeText(), "abXcd");
  buffer.ReplaceRange(100, 0, "!");
  EXPECT_EQ(buffer.WholeText(), "abXcd!");
  buffer.ReplaceRange(-5, 0, "<");
  EXPECT_EQ(buffer.WholeText(), "<abXcd!");
}

TEST(WorkBufferReplace, ALineBreakFoundByItsLfIsReplacedWhole) {
  WorkBuffer buffer = Holding("ab\r\ncd");
  buffer.ReplaceRange(3, 2, " ");
  EXPECT_EQ(buffer.WholeText(), "ab cd");
}

TEST(WorkBufferReplace, RangesResolveAsForExcerpts) {
  WorkBuffer before = Holding("abcdef");
  before.ReplaceRange(4, -2, "");
  EXPECT_EQ(before.WholeText(), "abef");
  WorkBuffer from_zero = Holding("abcdef");
  from_zero.ReplaceRange(10, -10, "z");
  EXPECT_EQ(from_zero.WholeText(), "z");
  WorkBuffer tail = Holding("ab\r\ncd");
  tail.ReplaceRange(1, 2, "-");  // the end stops on the CR
  EXPECT_EQ(tail.WholeText(), "a-\r\ncd");
}

TEST(WorkBufferReplace, AReplacementTakenFromTheBufferItselfIsCopiedFirst) {
  WorkBuffer buffer = Holding("abc");
  for (int i = 0; i < 5; ++i) buffer.ReplaceRange(0, 0, buffer.WholeText());
  EXPECT_EQ(buffer.Length(), 96);
  EXPECT_EQ(buffer.Excerpt(0, 6), "abcabc");
  buffer.SetWholeText(std::string_view(buffer.WholeText()).substr(90));
  EXPECT_EQ(buffer.WholeText(), "abcabc");
}

TEST(WorkBufferReplace, ClearingEmptiesTheTextEntirely) {
  WorkBuffer buffer = Holding("abc");
  buffer.ClearBuffer();
  EXPECT_EQ(buffer.WholeText(), "");
  EXPECT_EQ(buffer.Excerpt(0, 5), "");
  EXPECT_EQ(buffer.Excerpt(3, -3), "");
  buffer.ReplaceRange(3, 2, " ");
  EXPECT_EQ(buffer.WholeText(), " ");
}

// ---- Against a naive model ----------------------------------------------------

// The rules written out in the most direct way, to compare against.
struct NaiveBuffer {
  std::string text = "\r\n\r\n";

  static char Up(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

  std::int64_t Find(const std::string& needle, std::int32_t start, std::int32_t span) const {
    const std::int64_t length = static_cast<std::int64_t>(text.size());
    if (needle.empty() || start >= length) return -1;
    const std::int64_t end = std::min<std::int64_t>(std::int64_t{start} + span, length);
    for (std::int64_t p = std::max(start, 0); p + static_cast<std::int64_t>(needle.size()) <= end;
         ++p) {
      bool same = true;
      for (std::size_t i = 0; i < needle.size(); ++i) {
        if (Up(text[p + i]) != Up(needle[i])) same = false;
      }
      if (same) return p;
    }
    return -1;
  }

  std::pair<std::int64_t, std::int64_t> Range(std::int32_t start, std::int32_t length) const {
    const std::int64_t l = static_cast<std::int64_t>(text.size());
    std::int64_t s = start;
    if (s > l) s = l;
    if (s < 0) s = 0;
    if (s > 0 && s < l && text[s - 1] == '\r' && text[s] == '\n') s = s - 1;
    std::int64_t e = s + length;
    if (e > l) e = l;
    if (e < 0) e = 0;
    if (e > 0 && e < l && text[e - 1] == '\r' && text[e] == '\n') e = e - 1;
    if (e < s) std::swap(s, e);
    return {s, e};
  }

  void Append(const std::string& line) {
    const bool empty_last =
        text.empty() || (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n");
    text = empty_last ? text + line + "\r\n" : text + "\r\n" + line;
  }
};

TEST(WorkBufferModel, RandomOperationsAgreeWithTheNaiveModel) {
  std::mt19937 random(20240612);
  auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const std::string alphabet = "aAbBnNoOtT \t\0\xe9\xc9[{"s;
  auto random_chars = [&](int max_length, bool breaks) {
    std::string s;
    const int n = below(max_length + 1);
    for (int i = 0; i < n; ++i) {
      const int pick = below(20);
      if (breaks && pick == 0) {
        s += "\r\n";
      } else if (breaks && pick == 1) {
        s += below(2) ? '\r' : '\n';  // lone halves, as a SetWholeText may bring
      } else {
        s += alphabet[below(static_cast<int>(alphabet.size()))];
      }
    }
    return s;
  };
  auto random_position = [&](std::int64_t length) -> std::int32_t {
    switch (below(12)) {
      case 0:
        return kMax;
      case 1:
        return kMin;
      default:
        return static_cast<std::int32_t>(below(static_cast<int>(length) + 8) - 4);
    }
  };

  auto random_length = [&](std::int64_t length) -> std::int32_t {
    switch (below(12)) {
      case 0:
        return kMax;
      case 1:
        return kMin;
      default:
        return static_cast<std::int32_t>(below(2 * static_cast<int>(length) + 9) - length - 4);
    }
  };

  WorkBuffer buffer(4096);
  NaiveBuffer model;
  for (int step = 0; step < 20000; ++step) {
    const std::int64_t length = static_cast<std::int64_t>(model.text.size());
    switch (below(8)) {
      case 0: {
        const std::string line = random_chars(6, false);
        if (model.text.size() + line.size() + 2 > 4096) {
          EXPECT_THROW(buffer.AppendLine(line), EWorkBufferError);
        } else {
          buffer.AppendLine(line);
          model.Append(line);
        }
        break;
      }
      case 1: {
        const std::string text = random_chars(40, true);
        buffer.SetWholeText(text);
        model.text = text;
        break;
      }
      case 2:
        if (below(10) == 0) {
          buffer.ClearBuffer();
          model.text.clear();
        }
        break;
      case 3:
      case 4: {
        // Needles mostly taken from the text, in a random case, so they hit.
        std::string needle;
        if (length > 0 && below(3) != 0) {
          const int at = below(static_cast<int>(length));
          needle = model.text.substr(at, 1 + below(4));
          for (char& c : needle) {
            if (below(2) && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) c ^= 0x20;
          }
        } else {
          needle = random_chars(3, true);
        }
        const std::int32_t start = random_position(length);
        const std::int32_t span =
            below(4) == 0 ? static_cast<std::int32_t>(length) : random_length(length);
        ASSERT_EQ(buffer.FindCaseless(needle, start, span), model.Find(needle, start, span))
            << "step " << step;
        break;
      }
      case 5:
      case 6: {
        const std::int32_t start = random_position(length);
        const std::int32_t len = random_length(length);
        const auto [s, e] = model.Range(start, len);
        ASSERT_EQ(buffer.Excerpt(start, len), model.text.substr(s, e - s)) << "step " << step;
        break;
      }
      case 7: {
        const std::int32_t start = random_position(length);
        const std::int32_t len = static_cast<std::int32_t>(below(9) - 4);
        const std::string replacement = random_chars(3, false);
        const auto [s, e] = model.Range(start, len);
        buffer.ReplaceRange(start, len, replacement);
        model.text = model.text.substr(0, s) + replacement + model.text.substr(e);
        break;
      }
    }
    ASSERT_EQ(buffer.WholeText(), model.text) << "step " << step;
    ASSERT_EQ(buffer.Length(), static_cast<std::int32_t>(model.text.size()));
  }
}

TEST(WorkBufferModel, RangesNeverSplitALineBreakOfWholePairs) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    WorkBuffer buffer;
    buffer.ClearBuffer();
    const int lines = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < lines; ++i) buffer.AppendLine(std::string(1 + random() % 3, 'x'));
    const std::int32_t length = buffer.Length();
    for (std::int32_t start = -1; start <= length + 1; ++start) {
      for (std::int32_t len = -length - 2; len <= length + 2; ++len) {
        const std::string part = buffer.Excerpt(start, len);
        const auto crs = std::count(part.begin(), part.end(), '\r');
        const auto lfs = std::count(part.begin(), part.end(), '\n');
        ASSERT_EQ(crs, lfs) << start << " " << len;
        ASSERT_TRUE(part.empty() || (part.front() != '\n' && part.back() != '\r'));
      }
    }
  }
}

}  // namespace
