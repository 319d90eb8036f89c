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

// The first page of every group, as the game starts it.
inline const std::string FirstRiddlePath = "/dmmy/19499.html";

}  // namespace zorvane::testing
