// The end-to-end scenarios, described once and played on every back-end:
// the Linux module through dlopen and the Windows DLLs under Wine.
#pragma once

#include <string>
#include <vector>

#include "scenario_backend.h"
#include "scenario_player.h"

namespace zorvane::testing {

struct Scenario {
  std::string name;
  RunPlace place;
  void (*play)(ScenarioPlayer& player) = nullptr;
};

const std::vector<Scenario>& Scenarios();

}  // namespace zorvane::testing
