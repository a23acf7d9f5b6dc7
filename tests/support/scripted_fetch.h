// A scripted document fetch for tests: each address has the answer a test
// gave it (until it gives another), every other address `otherwise`. No
// socket is opened. It keeps what the real fetch promises the strip:
// - `on_open` runs once when the answer opens the document (a document, or
//   a read that fails later), and not at all otherwise;
// - while the answer waits, `keep_going` is called at every wait, and false
//   abandons the fetch at once (kAbandoned, no body, no more callbacks);
// - a body is cut after kDocumentLimit bytes; the status line of a page is
//   no business of the fetch, so an error page is a body like any other;
// - the empty address (an unusable server) is never opened: kOpenFailed,
//   kNoAddress.
// It records every address asked for, in order.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "weather/document_fetch.h"

struct ScriptedAnswer {
  FetchOutcome outcome = FetchOutcome::kDocument;
  std::string body;  // what the server sends
  FetchFailure failure = FetchFailure::kNone;
  // How often the fetch waits before its outcome, calling keep_going each
  // time: once open for an answer that opens the document, before that for
  // any other (a server silent before its head).
  int waits = 0;

  static ScriptedAnswer Document(std::string body) {
    return {FetchOutcome::kDocument, std::move(body)};
  }
  static ScriptedAnswer OpenFails(FetchFailure why = FetchFailure::kRefused) {
    return {FetchOutcome::kOpenFailed, {}, why};
  }
  // The document opened, then the transfer broke.
  static ScriptedAnswer ReadFails(FetchFailure why = FetchFailure::kReset) {
    return {FetchOutcome::kReadFailed, {}, why};
  }
  static ScriptedAnswer InitFails() {
    return {FetchOutcome::kInitFailed, {}, FetchFailure::kOther};
  }
  // This answer after `count` waits: a stall that the caller may end. The
  // real fetch waits about every kKeepGoingIntervalMs.
  ScriptedAnswer Waiting(int count) const {
    ScriptedAnswer answer = *this;
    answer.waits = count;
    return answer;
  }
};

class ScriptedFetch : public DocumentFetch {
 public:
  // What `address` answers from now on.
  void Answer(const std::string& address, ScriptedAnswer answer) {
    answers_[address] = std::move(answer);
  }
  // What every other address answers: at first, the connection is refused.
  ScriptedAnswer otherwise = ScriptedAnswer::OpenFails();

  // The addresses asked for, in order.
  std::vector<std::string> asked;

  FetchResult Fetch(const std::string& address, const FetchLimits&,
                    const std::function<void()>& on_open,
                    const std::function<bool()>& keep_going) override {
    asked.push_back(address);
    if (address.empty()) {
      return FailedFetch(FetchOutcome::kOpenFailed, "no address", FetchFailure::kNoAddress);
    }
    // A copy: the callbacks may script this address anew.
    const auto found = answers_.find(address);
    const ScriptedAnswer answer = found != answers_.end() ? found->second : otherwise;
    const bool opens =
        answer.outcome == FetchOutcome::kDocument || answer.outcome == FetchOutcome::kReadFailed;
    if (opens && on_open) on_open();
    for (int i = 0; i < answer.waits; ++i) {
      if (keep_going && !keep_going()) {
        FetchResult abandoned;
        abandoned.outcome = FetchOutcome::kAbandoned;
        return abandoned;
      }
    }
    if (answer.outcome != FetchOutcome::kDocument) {
      return FailedFetch(answer.outcome, "scripted failure", answer.failure);
    }
    FetchResult result;
    result.outcome = FetchOutcome::kDocument;
    result.body = answer.body.substr(0, kDocumentLimit);
    return result;
  }

 private:
  std::map<std::string, ScriptedAnswer> answers_;
};
