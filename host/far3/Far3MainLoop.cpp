// FAR 3's main loop as the stand-in runs it between keys: the synchro events that ACTL_SYNCHRO
// queued from any thread are delivered on this thread as they arrive (keyboard.cpp dispatches
// message_manager's queue while FAR waits for input).
#include <chrono>

#include "Far3Host.h"

namespace far3host {

std::size_t Far3Host::RunMainLoop(DWORD ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::size_t delivered = 0;
  for (;;) {
    delivered += DeliverSynchroEvents();
    std::unique_lock<std::mutex> lock(synchroMutex_);
    if (!synchroArrived_.wait_until(lock, end, [&] { return !synchro_.empty(); })) return delivered;
  }
}

bool Far3Host::RunMainLoopUntil(const std::function<bool()>& done, DWORD ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    DeliverSynchroEvents();
    if (done()) return true;
    std::unique_lock<std::mutex> lock(synchroMutex_);
    if (!synchroArrived_.wait_until(lock, end, [&] { return !synchro_.empty(); })) return false;
  }
}

}  // namespace far3host
