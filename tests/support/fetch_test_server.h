// What the Linux-side server for the fetch tests of the Windows build serves,
// shared by the server (a Linux program) and the tests (Windows programs run
// under Wine on the same machine, which reach it on 127.0.0.1).
//
// The server prints one line, "<port> <refused port> <echo port> <spare
// port>", and the test command hands that line to the tests in
// kFetchTestPortsVariable. The spare port serves the same paths as the main
// one, for a test whose connection outlives it (an abandoned fetch): the
// server answers one connection at a time, and the other tests need not wait.
#pragma once

#include <cstddef>
#include <string>

inline constexpr char kFetchTestPortsVariable[] = "MW_FETCH_TEST_PORTS";

namespace fetch_test {

// A body that holds every kind of byte a bulletin may bring.
inline std::string Document() {
  return std::string("ROUNDUP\r\nA\r\n\r\nB\rC\nD\0E\tF", 24) + "\x80\xff\xe9 end\r\n";
}
inline const std::string kMissingPage = "No such bulletin here.\r\n";
// Longer than the document limit: letters, so a cut shows where it fell.
inline std::string Long(std::size_t n = 40000) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + i % 26);
  return s;
}
// Bodies announced with this length that break off after kBrokenAfter bytes.
inline constexpr std::size_t kBrokenLength = 5000;
inline constexpr std::size_t kBrokenAfter = 1000;

// The paths of the main port.
inline constexpr char kDocumentPath[] = "/doc";
inline constexpr char kMissingPath[] = "/gone";        // 404 with kMissingPage
inline constexpr char kEmptyPath[] = "/empty";         // 200, no body
inline constexpr char kLongPath[] = "/long";           // 200 with Long()
inline constexpr char kResetPath[] = "/reset";         // reset mid-body
inline constexpr char kCutShortPath[] = "/cut-short";  // orderly close mid-body
inline constexpr char kHopPath[] = "/hop";             // 302 to kDocumentPath
inline constexpr char kToFilePath[] = "/to-file";      // 302 to a file:// address
inline constexpr char kEndlessHopsPath[] = "/loop";    // 302 to itself
// Silent for kSilence before the head / after kBrokenAfter bytes of the body.
inline constexpr char kSilentPath[] = "/silent";
inline constexpr char kStallPath[] = "/stall";
inline constexpr int kSilenceSeconds = 20;

}  // namespace fetch_test
