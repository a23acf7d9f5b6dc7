#include "strip_fixture.h"

#include "support/environment.h"

void StripTest::SetUp() {
  UnsetEnvironment(kPrimaryServerVariable);
  UnsetEnvironment(kAlternateServerVariable);
}

void StripTest::TearDown() {
  UnsetEnvironment(kPrimaryServerVariable);
  UnsetEnvironment(kAlternateServerVariable);
}

void StripTest::StoreShownTexts() {
  const auto group = settings_.Open();
  Write(*group, kOnStart, false);
  Write(*group, kLastForecast, kShownForecast);
  Write(*group, kLastMarrowby, kShownPrimary);
  Write(*group, kLastWendmoore, kShownSecondary);
  Write(*group, kLastUpdate, kShownUpdate);
}
