// The watcher of one open FAR 3 panel. Every folder is watched by ReadDirectoryChangesW with a
// completion routine, all of them on one thread in an alertable wait, so that their number has
// no limit and nothing is searched while nothing changes. A missing folder is watched through
// its nearest existing parent (its creation is seen there); a folder whose notifications fail is
// compared on a timer by a snapshot of its names, sizes and times.
#include "Far3Watcher.h"

#include <algorithm>
#include <deque>
#include "Far3Barrier.h"

namespace {

const DWORD TargetFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE |
                           FILE_NOTIFY_CHANGE_CREATION | FILE_NOTIFY_CHANGE_ATTRIBUTES;
const DWORD ParentFilter = FILE_NOTIFY_CHANGE_DIR_NAME;  // only a folder appearing matters there

// The form Win32 takes for a folder of any length.
std::wstring Win32Path(const std::wstring& Path) {
  if (Path.size() < MAX_PATH - 12 || Path.compare(0, 4, L"\\\\?\\") == 0) return Path;
  if (Path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + Path.substr(2);
  if (Path.size() > 2 && Path[1] == L':') return L"\\\\?\\" + Path;
  return Path;
}

bool IsFolder(const std::wstring& Path) {
  const DWORD Attributes = GetFileAttributesW(Win32Path(Path).c_str());
  return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "C:\a\b" -> "C:\a", "C:\a" -> "C:\"; empty when there is none to go up to.
std::wstring ParentOf(const std::wstring& Path) {
  const size_t Slash = Path.find_last_of(L'\\');
  if (Slash == std::wstring::npos || Slash + 1 == Path.size()) return std::wstring();
  if (Path.compare(0, 2, L"\\\\") == 0 && std::count(Path.begin(), Path.end(), L'\\') <= 3)
    return std::wstring();  // a share's root has no parent to watch
  return Slash == 2 && Path[1] == L':' ? Path.substr(0, 3) : Path.substr(0, Slash);
}

// Without a final backslash, except for a drive's root.
std::wstring Normalised(std::wstring Folder) {
  while (Folder.size() > 1 && Folder.back() == L'\\' && !(Folder.size() == 3 && Folder[1] == L':'))
    Folder.pop_back();
  if (Folder.size() == 2 && Folder[1] == L':') Folder += L'\\';
  return Folder;
}

std::wstring Upper(std::wstring Text) {
  if (!Text.empty()) CharUpperBuffW(&Text[0], static_cast<DWORD>(Text.size()));
  return Text;
}

// A digest of the folder's listing: names, sizes, times and attributes; a missing folder has one
// of its own.
unsigned long long Snapshot(const std::wstring& Folder) {
  unsigned long long Digest = 1469598103934665603ull;
  auto Mix = [&Digest](const void* Data, size_t Size) {
    for (size_t I = 0; I < Size; ++I)
      Digest = (Digest ^ static_cast<const unsigned char*>(Data)[I]) * 1099511628211ull;
  };
  const std::wstring Pattern = Win32Path(Folder + (Folder.back() == L'\\' ? L"*" : L"\\*"));
  WIN32_FIND_DATAW Data;
  HANDLE Find = FindFirstFileW(Pattern.c_str(), &Data);
  if (Find == INVALID_HANDLE_VALUE) return GetLastError();
  do {
    Mix(Data.cFileName, wcslen(Data.cFileName) * sizeof(wchar_t));
    Mix(&Data.dwFileAttributes, sizeof(Data.dwFileAttributes));
    Mix(&Data.nFileSizeLow, sizeof(Data.nFileSizeLow));
    Mix(&Data.nFileSizeHigh, sizeof(Data.nFileSizeHigh));
    Mix(&Data.ftCreationTime, sizeof(Data.ftCreationTime));
    Mix(&Data.ftLastWriteTime, sizeof(Data.ftLastWriteTime));
  } while (FindNextFileW(Find, &Data));
  FindClose(Find);
  return Digest;
}

// One folder the panel depends on, and how it is watched.
struct TFolder {
  std::wstring Target;  // the folder the panel depends on
  std::wstring Aimed;   // where the handle is open: Target, or its nearest existing parent
  HANDLE Dir = INVALID_HANDLE_VALUE;
  OVERLAPPED Overlapped{};
  DWORD Buffer[256];     // the records of what changed (only their arrival is used)
  bool Reading = false;  // a ReadDirectoryChangesW is outstanding
  bool Polled = false;   // no notifications here: compared on the timer
  bool Reaim = false;    // the handle's watch has ended: aim again
  bool Closing = false;  // its handle is being given back: nothing is read again
  bool Exists = false;   // the target was there when last aimed
  unsigned long long Digest = 0;
  bool* Changed = nullptr;  // the run's flag: something the panel shows may have changed
};

void CALLBACK Completed(DWORD Error, DWORD, LPOVERLAPPED Overlapped);

bool Read(TFolder& Folder) {
  Folder.Overlapped = OVERLAPPED{};
  Folder.Overlapped.hEvent = &Folder;  // free for the caller's use with a completion routine
  const DWORD Filter = Folder.Aimed == Folder.Target ? TargetFilter : ParentFilter;
  Folder.Reading = ReadDirectoryChangesW(Folder.Dir, Folder.Buffer, sizeof(Folder.Buffer), FALSE,
                                         Filter, nullptr, &Folder.Overlapped, Completed) != FALSE;
  return Folder.Reading;
}

void CALLBACK Completed(DWORD Error, DWORD, LPOVERLAPPED Overlapped) {
  TFolder& Folder = *static_cast<TFolder*>(Overlapped->hEvent);
  Folder.Reading = false;
  if (Error == ERROR_OPERATION_ABORTED || Folder.Closing) return;  // the watcher lets it go
  // The folder is aimed at again after every change: a handle kept open would hold a folder
  // deleted from outside (Windows deletes it when the last handle goes), and the reopening
  // finds it gone. Watching a parent, a folder appearing may be the way down to the target.
  if (Folder.Aimed == Folder.Target) *Folder.Changed = true;
  Folder.Reaim = true;
}

// Gives back the folder's handle, after its outstanding read has come back.
void Release(TFolder& Folder) {
  if (Folder.Dir == INVALID_HANDLE_VALUE) return;
  Folder.Closing = true;  // a change that completes now does not read again
  if (Folder.Reading) CancelIo(Folder.Dir);
  for (int Round = 0; Folder.Reading && Round < 200; ++Round) SleepEx(10, TRUE);
  CloseHandle(Folder.Dir);
  Folder.Dir = INVALID_HANDLE_VALUE;
  for (int Round = 0; Folder.Reading && Round < 100; ++Round) SleepEx(10, TRUE);
  Folder.Closing = false;
}

// Opens the watch on the target, or on its nearest existing parent; polls what gives nothing.
// True when the target's existence differs from before (a change the panel must see).
bool Aim(TFolder& Folder) {
  const bool Existed = Folder.Exists;
  Release(Folder);
  Folder.Reaim = false;
  std::wstring Path = Folder.Target;
  while (!Path.empty() && !IsFolder(Path)) Path = ParentOf(Path);
  Folder.Aimed = Path;
  Folder.Exists = Path == Folder.Target;
  Folder.Polled = Path.empty();
  if (!Folder.Polled) {
    Folder.Dir = CreateFileW(Win32Path(Path).c_str(), FILE_LIST_DIRECTORY,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                             nullptr);
    Folder.Polled = Folder.Dir == INVALID_HANDLE_VALUE || !Read(Folder);
  }
  if (Folder.Polled) {  // a share or file system that tells nothing: its listing is compared
    Release(Folder);
    Folder.Aimed = Folder.Target;
    Folder.Digest = Snapshot(Folder.Target);
  }
  return Existed != Folder.Exists;
}

}  // namespace

// The folders of the thread now running. FAR's thread builds it and frees it once the thread has
// ended, so that a thread that memory running out ends leaves no handle open behind it.
struct TFar3Watcher::TRun {
  std::deque<TFolder> Folders;  // a deque never moves them: the I/O holds their addresses
  bool Changed = false;
};

TFar3Watcher::TFar3Watcher(TSynchroRequest Request, void* Context)
    : FRequest(Request), FContext(Context) {
  InitializeCriticalSection(&FLock);
}

bool TFar3Watcher::Watch(const std::vector<std::wstring>& Folders) {
  std::vector<std::pair<std::wstring, std::wstring>> Keyed;  // upper-cased key, folder
  for (const std::wstring& Folder : Folders)
    if (!Folder.empty()) Keyed.emplace_back(Upper(Normalised(Folder)), Normalised(Folder));
  std::sort(Keyed.begin(), Keyed.end());
  Keyed.erase(std::unique(Keyed.begin(), Keyed.end(),
                          [](const auto& A, const auto& B) { return A.first == B.first; }),
              Keyed.end());
  std::vector<std::wstring> Set;
  for (auto& Entry : Keyed) Set.push_back(std::move(Entry.second));
  if (Running() && Set == FFolders) return true;
  Stop();
  FFolders = std::move(Set);
  if (FFolders.empty()) return true;
  FRun = std::make_unique<TRun>();
  for (const std::wstring& Target : FFolders) {
    FRun->Folders.emplace_back();
    FRun->Folders.back().Target = Target;
    FRun->Folders.back().Changed = &FRun->Changed;
  }
  FStopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  FAgainEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  FArmedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (FStopEvent && FAgainEvent && FArmedEvent)
    FThread = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
  if (FThread) {  // the panel has just read them; a thread that failed meanwhile has ended
    const HANDLE Started[] = {FArmedEvent, FThread};
    WaitForMultipleObjects(2, Started, FALSE, INFINITE);
  }
  if (FArmedEvent) CloseHandle(FArmedEvent);
  FArmedEvent = nullptr;
  if (!FThread) Stop();
  return FThread != nullptr;
}

void TFar3Watcher::Stop() {
  if (FThread) {
    SetEvent(FStopEvent);
    WaitForSingleObject(FThread, INFINITE);
    CloseHandle(FThread);
    FThread = nullptr;
  }
  // A thread that failed left its handles open; their reads ended with it.
  if (FRun)
    for (TFolder& Folder : FRun->Folders)
      if (Folder.Dir != INVALID_HANDLE_VALUE) CloseHandle(Folder.Dir);
  FRun.reset();
  for (HANDLE* Event : {&FStopEvent, &FAgainEvent}) {
    if (*Event) CloseHandle(*Event);
    *Event = nullptr;
  }
  FFolders.clear();
}

TFar3Watcher::~TFar3Watcher() {
  Stop();
  DeleteCriticalSection(&FLock);
}

void TFar3Watcher::Taken() {
  EnterCriticalSection(&FLock);
  FAsked = false;
  LeaveCriticalSection(&FLock);
}

void TFar3Watcher::Again() {
  Taken();
  if (FAgainEvent) SetEvent(FAgainEvent);
}

void TFar3Watcher::Ask() {
  EnterCriticalSection(&FLock);
  const bool Ask = !FAsked;
  FAsked = true;
  LeaveCriticalSection(&FLock);
  if (Ask) FRequest(FContext);
}

DWORD WINAPI TFar3Watcher::ThreadMain(void* Self) {
  // The thread has no caller to hand a failure to (memory running out raises the plugin's own
  // exception): it ends, and the panel goes on without refreshing by itself.
  TFailure Caught{};
  RunGuarded([](void* Watcher) { static_cast<TFar3Watcher*>(Watcher)->Run(); }, Self, Caught);
  return 0;
}

void TFar3Watcher::Run() {
  TRun& State = *FRun;
  for (TFolder& Folder : State.Folders) Aim(Folder);
  SetEvent(FArmedEvent);
  DWORD NextPoll = GetTickCount() + PollMs;
  bool Pending = false;  // a change waits for its quiet time
  DWORD FirstChange = 0, LastChange = 0;
  for (;;) {
    const bool AnyPolled = std::any_of(State.Folders.begin(), State.Folders.end(),
                                       [](const TFolder& Folder) { return Folder.Polled; });
    DWORD Now = GetTickCount();
    DWORD Wait = INFINITE;
    if (Pending) {
      const DWORD Quiet = QuietMs - std::min<DWORD>(QuietMs, Now - LastChange);
      const DWORD Longest = LongestDelayMs - std::min<DWORD>(LongestDelayMs, Now - FirstChange);
      Wait = std::min(Quiet, Longest);
    }
    if (AnyPolled) {
      const LONG ToPoll = static_cast<LONG>(NextPoll - Now);
      Wait = std::min<DWORD>(Wait, ToPoll > 0 ? static_cast<DWORD>(ToPoll) : 0);
    }
    const HANDLE Events[] = {FStopEvent, FAgainEvent};
    const DWORD Woken = WaitForMultipleObjectsEx(2, Events, FALSE, Wait, TRUE);
    if (Woken == WAIT_OBJECT_0) break;
    if (Woken == WAIT_OBJECT_0 + 1) State.Changed = true;
    // Completion routines have run in the wait, or a time has come. A folder that changed is let
    // go of until the quiet time ends: a folder being deleted goes at once (an open handle would
    // keep it, and Wine tells that handle nothing), and what changes meanwhile comes before the
    // reread. A parent is aimed from at once: the target may have appeared.
    for (TFolder& Folder : State.Folders) {
      if (!Folder.Reaim) continue;
      if (Folder.Aimed == Folder.Target && !Folder.Polled)
        Release(Folder);
      else if (Aim(Folder))
        State.Changed = true;
    }
    Now = GetTickCount();
    if (AnyPolled && static_cast<LONG>(Now - NextPoll) >= 0) {
      for (TFolder& Folder : State.Folders) {
        if (!Folder.Polled) continue;
        // Aiming again takes the new snapshot, or watches a folder that can be watched now.
        const unsigned long long Digest = Folder.Digest;
        if (Aim(Folder) || !Folder.Polled || Folder.Digest != Digest) State.Changed = true;
      }
      NextPoll = Now + PollMs;
    }
    if (State.Changed) {
      State.Changed = false;
      if (!Pending) FirstChange = Now;
      LastChange = Now;
      Pending = true;
    }
    if (Pending && (Now - LastChange >= QuietMs || Now - FirstChange >= LongestDelayMs)) {
      Pending = false;
      for (TFolder& Folder : State.Folders)  // watched again before the reread is asked for
        if (Folder.Reaim) Aim(Folder);
      Ask();
    }
  }
  // Every read is cancelled at once, then the handles go as their reads come back.
  for (TFolder& Folder : State.Folders) {
    Folder.Closing = true;
    if (Folder.Reading) CancelIo(Folder.Dir);
  }
  for (TFolder& Folder : State.Folders) Release(Folder);
}
