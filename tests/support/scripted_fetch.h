// A scripted document fetch for tests: each fetch takes the next scripted
// answer for its address (or the answer given for every address), keeping
// the promises of the real fetch — `on_open` once the document is open,
// `keep_going` while it waits, at most kDocumentLimit bytes of a body — and
// records what was asked.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "weather/document_fetch.h"

struct ScriptedAnswer {
  FetchOutcome outcome = FetchOutcome::kDocument;
  std::string body;  // the server's whole body; the fetch keeps kDocumentLimit bytes
  FetchFailure failure = FetchFailure::kNone;
  // A stall: keep_going is called this many times while the document waits
  // (after it opened, unless stall_before_open), and the fetch is abandoned
  // as soon as it returns false.
  int waits = 0;
  bool stall_before_open = false;
  double seconds = 0.1;

  static ScriptedAnswer Document(std::string body) { return {FetchOutcome::kDocument, std::move(body)}; }
  static ScriptedAnswer OpenFails(FetchFailure why = FetchFailure::kRefused) {
    return {FetchOutcome::kOpenFailed, {}, why};
  }
  static ScriptedAnswer ReadFails(FetchFailure why = FetchFailure::kReset) {
    return {FetchOutcome::kReadFailed, {}, why};
  }
  static ScriptedAnswer InitFails() {
    return {FetchOutcome::kInitFailed, {}, FetchFailure::kOther};
  }
  static ScriptedAnswer Stalls(int waits, bool before_open = false) {
    ScriptedAnswer answer = OpenFails(FetchFailure::kStalled);
    answer.waits = waits;
    answer.stall_before_open = before_open;
    if (!before_open) answer.outcome = FetchOutcome::kReadFailed;
    return answer;
  }
};

class ScriptedFetch : public DocumentFetch {
 public:
  // Answers for one address, taken in order; the last one stays.
  void Answer(const std::string& address, ScriptedAnswer answer) {
    by_address_[address].push_back(std::move(answer));
  }
  // The answer for every address that has none of its own (at first: the
  // connection is refused).
  ScriptedAnswer otherwise = ScriptedAnswer::OpenFails();

  // The addresses asked for, in order.
  std::vector<std::string> asked;

  FetchResult Fetch(const std::string& address, const FetchLimits&,
                    const std::function<void()>& on_open,
                    const std::function<bool()>& keep_going) override {
    asked.push_back(address);
    ScriptedAnswer answer = Next(address);
    const auto wait = [&] {
      for (int i = 0; i < answer.waits; ++i) {
        if (keep_going && !keep_going()) return false;
      }
      return true;
    };
    FetchResult result;
    result.seconds = answer.seconds;
    if (answer.stall_before_open && !wait()) return Abandoned();
    if (answer.outcome == FetchOutcome::kDocument || answer.outcome == FetchOutcome::kReadFailed) {
      if (on_open) on_open();
      if (!answer.stall_before_open && !wait()) return Abandoned();
    }
    result.outcome = answer.outcome;
    result.failure = answer.failure;
    if (answer.outcome == FetchOutcome::kDocument) {
      result.body = answer.body.substr(0, kDocumentLimit);
    } else {
      result.detail = "scripted failure";
    }
    return result;
  }

 private:
  static FetchResult Abandoned() {
    FetchResult result;
    result.outcome = FetchOutcome::kAbandoned;
    return result;
  }
  ScriptedAnswer Next(const std::string& address) {
    const auto found = by_address_.find(address);
    if (found == by_address_.end() || found->second.empty()) return otherwise;
    ScriptedAnswer answer = found->second.front();
    if (found->second.size() > 1) found->second.pop_front();
    return answer;
  }

  std::map<std::string, std::deque<ScriptedAnswer>> by_address_;
};
