// The watcher of one open FAR 3 panel: one thread that waits for the panel's folders to change
// and then asks FAR, once, for a synchro event; it touches no panel and no FAR record.
#pragma once

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

// Asks FAR for a synchro event: the panel hands one that calls ACTL_SYNCHRO. It is called on the
// watcher's own thread.
typedef void (*TSynchroRequest)(void* Context);

class TFar3Watcher {
 public:
  // A change is told after QuietMs without another one, and at the latest LongestDelayMs after
  // the first of a burst; what gives no notifications is compared every PollMs.
  static const DWORD QuietMs = 150;
  static const DWORD LongestDelayMs = 600;
  static const DWORD PollMs = 1500;

  TFar3Watcher(TSynchroRequest Request, void* Context);
  ~TFar3Watcher();
  TFar3Watcher(const TFar3Watcher&) = delete;
  TFar3Watcher& operator=(const TFar3Watcher&) = delete;

  // Watches these folders (duplicates and case do not count), restarting the thread when the set
  // differs from the one watched or the thread has ended; an empty set stops it. A change made
  // once it has returned is seen. False when the thread could not start.
  bool Watch(const std::vector<std::wstring>& Folders);
  // Ends the thread and waits for it; every handle it opened is closed when it returns.
  void Stop();
  // On FAR's thread, before the panel rereads: the event asked for has been taken. A change seen
  // while it was outstanding is covered by that reread; the next one asks again.
  void Taken();
  // On FAR's thread: the event came while the panel could not reread (a call of FAR on it was
  // running): it is taken, and another one is asked for after the quiet time.
  void Again();
  // The thread runs: it has not been stopped, nor ended by a failure of its own.
  bool Running() const { return FThread && WaitForSingleObject(FThread, 0) == WAIT_TIMEOUT; }

 private:
  struct TRun;
  static DWORD WINAPI ThreadMain(void* Self);
  void Run();
  void Ask();

  TSynchroRequest FRequest;
  void* FContext;
  std::vector<std::wstring> FFolders;  // the set watched: normalised, sorted, distinct
  std::unique_ptr<TRun> FRun;  // the thread's folders; FAR's thread frees them once it ended
  HANDLE FThread = nullptr;
  HANDLE FStopEvent = nullptr;
  HANDLE FAgainEvent = nullptr;
  HANDLE FArmedEvent = nullptr;  // while Watch waits for the thread to open its watches
  CRITICAL_SECTION FLock;
  bool FAsked = false;  // an event was asked for and the panel has not taken it yet
};
