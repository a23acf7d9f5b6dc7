// Close signals where there are none (Windows): nothing to install.
#include "shell/close_signals.h"

TCloseSignals::TCloseSignals(std::function<void()> on_signal, QObject* parent)
    : QObject(parent), on_signal_(std::move(on_signal)) {}

TCloseSignals::~TCloseSignals() = default;

void TCloseSignals::Drain() {
  if (on_signal_) on_signal_();
}
