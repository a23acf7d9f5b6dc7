#include "weather/document_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "weather/loaded_buffer.h"

namespace {

using namespace std::string_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The most one read delivers of a document.
constexpr std::size_t kReadLimit = 32767;

TEST(DocumentLines, EmptyLinesBetweenLinesAreDropped) {
  EXPECT_THAT(SplitDocumentLines("A\r\n\r\nB\r\n"), ElementsAre("A", "B"));
  EXPECT_THAT(SplitDocumentLines("\n\n\r\r\nA\r\r\r\nB\n\n"), ElementsAre("A", "B"));
  EXPECT_THAT(SplitDocumentLines(""), IsEmpty());
  EXPECT_THAT(SplitDocumentLines("\r\n\r\n\n\r"), IsEmpty());
}

TEST(DocumentLines, ALastLineWithoutLineEndIsDropped) {
  EXPECT_THAT(SplitDocumentLines("A\r\nB"), ElementsAre("A"));
  EXPECT_THAT(SplitDocumentLines("only"), IsEmpty());
  EXPECT_THAT(SplitDocumentLines("A\r\nB\r"), ElementsAre("A", "B"));
  EXPECT_THAT(SplitDocumentLines("A\r\nB\n"), ElementsAre("A", "B"));
}

TEST(DocumentLines, EveryOtherByteIsKeptAsItIs) {
  const std::string line = "\tTAB\0NUL\x01\x1b\x7f\x80\xa0\xe9\xff end "s;
  EXPECT_THAT(SplitDocumentLines(line + "\n" + line + "\r"), ElementsAre(line, line));
  EXPECT_THAT(SplitDocumentLines("\0\n"s), ElementsAre("\0"s));
}

TEST(DocumentLines, ABodyCutByTheReadLimitLosesOnlyTheCutLine) {
  // 40,000 bytes of numbered lines; the read delivers the first 32,767.
  std::string body;
  std::vector<std::string> written;
  for (int i = 0; body.size() < 40000; ++i) {
    written.push_back("LINE " + std::to_string(i) + std::string(i % 70, '.'));
    body += written.back() + "\r\n";
  }
  body.resize(40000);
  const std::string delivered = body.substr(0, kReadLimit);
  const std::vector<std::string> lines = SplitDocumentLines(delivered);
  ASSERT_FALSE(lines.empty());
  const std::size_t last_end = delivered.find_last_of("\r\n");
  // Every line that ends within the delivered bytes, and none other.
  EXPECT_EQ(lines, std::vector<std::string>(written.begin(), written.begin() + lines.size()));
  const std::string after = delivered.substr(last_end + 1);
  EXPECT_FALSE(after.empty());
  EXPECT_EQ(written[lines.size()].substr(0, after.size()), after);

  // When the last byte delivered ends a line, nothing is lost.
  std::string ends_on_break(kReadLimit - 1, 'x');
  ends_on_break[100] = '\n';
  ends_on_break += '\n';
  EXPECT_THAT(SplitDocumentLines(ends_on_break),
              ElementsAre(std::string(100, 'x'), std::string(kReadLimit - 102, 'x')));
}

TEST(DocumentLines, CrLfLfAndCrBodiesGiveTheSameLines) {
  std::mt19937 random(1234);
  const std::vector<std::string> endings = {"\r\n", "\n", "\r", "\r\r\n", "\n\n", "\r\n\r\n"};
  for (int round = 0; round < 500; ++round) {
    std::vector<std::string> lines(random() % 12);
    for (std::string& line : lines) {
      line.resize(1 + random() % 20);
      for (char& c : line) {
        do {
          c = static_cast<char>(random() % 256);
        } while (c == '\r' || c == '\n');
      }
    }
    // Each body ends its lines one way, or a random mix of ways.
    for (std::size_t way = 0; way <= endings.size(); ++way) {
      std::string body = (random() % 2) ? "\r\n\n" : "";  // leading empty lines vanish too
      for (const std::string& line : lines) {
        body += line;
        body += way < endings.size() ? endings[way] : endings[random() % endings.size()];
      }
      ASSERT_EQ(SplitDocumentLines(body), lines) << "round " << round << " way " << way;

      // Loaded into a cleared buffer, the lines stand one per CR LF line break.
      std::string expected;
      for (const std::string& line : lines) expected += line + "\r\n";
      ASSERT_EQ(LoadedBuffer(body, BufferState::kCleared).WholeText(), expected);
    }
  }
}

}  // namespace
