// FAR 3's synchro events for the open panels (see Far3Synchro.h).
#include "Far3Synchro.h"

#include <algorithm>
#include <utility>
#include <vector>
#include "Far3Intf.h"

namespace {

// FAR's thread only: the open panels by number. Numbers grow and are never given again, so an
// event of a closed panel cannot find a newer one at the same address.
std::vector<std::pair<std::uintptr_t, TFar3Panel*>> OpenPanels;
std::uintptr_t LastNumber = 0;

}  // namespace

std::uintptr_t RegisterPanel(TFar3Panel* Panel) {
  OpenPanels.emplace_back(++LastNumber, Panel);
  return LastNumber;
}

void UnregisterPanel(std::uintptr_t Number) {
  OpenPanels.erase(std::remove_if(OpenPanels.begin(), OpenPanels.end(),
                                  [Number](const auto& Open) { return Open.first == Number; }),
                   OpenPanels.end());
  if (OpenPanels.empty()) std::vector<std::pair<std::uintptr_t, TFar3Panel*>>().swap(OpenPanels);
}

TFar3Panel* OpenPanelOf(void* Param) {
  const auto Number = reinterpret_cast<std::uintptr_t>(Param);
  for (const auto& Open : OpenPanels)
    if (Open.first == Number) return Open.second;
  return nullptr;
}

void AskForSynchro(void* Param) {
  // StartupInfo is written once at start-up, before any panel opens: reading it here is safe.
  StartupInfo.AdvControl(&PluginGuid, ACTL_SYNCHRO, 0, Param);
}
