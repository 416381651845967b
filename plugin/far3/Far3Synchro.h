// FAR 3's synchro events for the open panels: each panel has a number that no other panel ever
// gets; its watcher asks FAR for an event carrying that number, and the event finds the panel
// only while it is open.
#pragma once

#include <cstdint>

class TFar3Panel;

// FAR's thread: a panel opened or closed.
std::uintptr_t RegisterPanel(TFar3Panel* Panel);
void UnregisterPanel(std::uintptr_t Number);
// FAR's thread, in ProcessSynchroEventW: the open panel the event was asked for, or nullptr for
// a panel already closed (its event is dropped).
TFar3Panel* OpenPanelOf(void* Param);
// Any thread (the watchers'): asks FAR for ProcessSynchroEventW with the number as its Param.
void AskForSynchro(void* Param);
// The Param of the events a panel's watcher asks for.
inline void* SynchroParam(std::uintptr_t Number) { return reinterpret_cast<void*>(Number); }
