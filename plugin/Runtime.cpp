// The C++ runtime's share of each load of quenby.dll, given back when it unloads. GCC keeps
// thread-local variables, the runtime's exception state among them, in emulated TLS; libgcc's
// version takes a TLS index and a semaphore at the first exception of every load and frees
// neither, so a host that reloads the plugin runs out of TLS indexes after about a thousand
// loads and aborts. The DLL's own version below frees everything when the DLL detaches.
#include "Runtime.h"

#include <cstdlib>
#include <cstring>

namespace __gnu_cxx {
void __freeres();  // libstdc++: frees its reserve for exceptions thrown when memory runs out
}

namespace {

// What GCC emits for each thread-local variable, in libgcc's layout.
struct TEmuTlsObject {
  unsigned Size;
  unsigned Align;
  volatile LONG Slot;   // the variable's number among the DLL's, 0 until its first use
  const void* Initial;  // its first value, or NULL for zeros
};
static_assert(sizeof(TEmuTlsObject) == 4 * sizeof(void*), "GCC's __emutls_object");

// One thread's variables, by number; all of them on one list, so that the unload frees them
// whichever thread made them.
struct TVariableSet {
  TVariableSet* Next;
  TVariableSet* Previous;
  LONG Count;
  void** Variables;
};

const LONG NotYet = -2;  // no TLS index asked for yet
const LONG NoIndex = static_cast<LONG>(TLS_OUT_OF_INDEXES);
volatile LONG Index = NotYet;
volatile LONG LastSlot = 0;
volatile LONG ListBusy = 0;
TVariableSet* Sets = nullptr;
TVariableSet Shared{};  // every thread's, when the process had no TLS index left for the DLL

class TListLock {
 public:
  TListLock() {
    while (InterlockedExchange(&ListBusy, 1)) Sleep(0);
  }
  ~TListLock() { InterlockedExchange(&ListBusy, 0); }
  TListLock(const TListLock&) = delete;
  TListLock& operator=(const TListLock&) = delete;
};

// Asked for at the first use. With none left in the process the threads share one set of
// variables: not thread-local, but no abort in the host's process as libgcc's would be.
LONG TheIndex() {
  LONG Current = Index;
  if (Current != NotYet) return Current;
  LONG Taken = static_cast<LONG>(TlsAlloc());
  LONG Before = InterlockedCompareExchange(&Index, Taken, NotYet);
  if (Before == NotYet) return Taken;
  if (Taken != NoIndex) TlsFree(static_cast<DWORD>(Taken));
  return Before;
}

LONG SlotOf(TEmuTlsObject& Object) {
  LONG Slot = Object.Slot;
  if (Slot) return Slot;
  LONG Numbered = InterlockedIncrement(&LastSlot);
  LONG Before = InterlockedCompareExchange(&Object.Slot, Numbered, 0);
  return Before ? Before : Numbered;  // another thread numbered it first: that number stands
}

// A variable's storage, aligned as asked, with the address malloc gave just before it.
void* NewVariable(const TEmuTlsObject& Object) {
  size_t Align = Object.Align > sizeof(void*) ? Object.Align : sizeof(void*);
  char* Raw = static_cast<char*>(malloc(Object.Size + Align - 1 + sizeof(void*)));
  if (!Raw) return nullptr;
  UINT_PTR At = (reinterpret_cast<UINT_PTR>(Raw) + sizeof(void*) + Align - 1) & ~(Align - 1);
  void* Data = reinterpret_cast<void*>(At);
  static_cast<void**>(Data)[-1] = Raw;
  if (Object.Initial)
    memcpy(Data, Object.Initial, Object.Size);
  else
    memset(Data, 0, Object.Size);
  return Data;
}

void FreeVariables(TVariableSet& Set) {
  for (LONG I = 0; I < Set.Count; ++I)
    if (Set.Variables[I]) free(static_cast<void**>(Set.Variables[I])[-1]);
  free(Set.Variables);
  Set.Variables = nullptr;
  Set.Count = 0;
}

void Unlink(TVariableSet* Set) {
  if (Set->Previous) Set->Previous->Next = Set->Next;
  else Sets = Set->Next;
  if (Set->Next) Set->Next->Previous = Set->Previous;
}

TVariableSet* OwnSet(DWORD TlsIndex) {
  TVariableSet* Set = static_cast<TVariableSet*>(TlsGetValue(TlsIndex));
  if (Set) return Set;
  Set = static_cast<TVariableSet*>(calloc(1, sizeof(TVariableSet)));
  if (!Set || !TlsSetValue(TlsIndex, Set)) {
    free(Set);
    return nullptr;
  }
  TListLock Lock;
  Set->Next = Sets;
  if (Sets) Sets->Previous = Set;
  Sets = Set;
  return Set;
}

void* VariableIn(TVariableSet& Set, TEmuTlsObject& Object, LONG Slot) {
  if (Slot > Set.Count) {
    LONG Count = Slot + 8;
    void** Grown = static_cast<void**>(realloc(Set.Variables, Count * sizeof(void*)));
    if (!Grown) return nullptr;
    memset(Grown + Set.Count, 0, (Count - Set.Count) * sizeof(void*));
    Set.Variables = Grown;
    Set.Count = Count;
  }
  void*& Variable = Set.Variables[Slot - 1];
  if (!Variable) Variable = NewVariable(Object);
  return Variable;
}

bool ProcessEnding = false;  // the DLL detaches because the process ends: nothing to give back

void ReleaseAtUnload() {
  if (!ProcessEnding) ReleaseRuntime();
}

// Registered before any static object is constructed, so it runs after every destructor.
__attribute__((constructor(101))) void RegisterRelease() { atexit(ReleaseAtUnload); }

}  // namespace

// The calling thread's copy of a variable. Out of memory it answers NULL, a fault the barriers
// catch, where libgcc's version aborts the host. The caller's last error is kept.
void* __emutls_get_address(void* Emitted) {
  TEmuTlsObject* Object = static_cast<TEmuTlsObject*>(Emitted);
  DWORD Error = GetLastError();
  LONG Slot = SlotOf(*Object);
  LONG TlsIndex = TheIndex();
  void* Variable = nullptr;
  if (TlsIndex == NoIndex) {
    TListLock Lock;
    Variable = VariableIn(Shared, *Object, Slot);
  } else if (TVariableSet* Set = OwnSet(static_cast<DWORD>(TlsIndex))) {
    Variable = VariableIn(*Set, *Object, Slot);
  }
  SetLastError(Error);
  return Variable;
}

// Variables the compiler left as common symbols: the largest size and alignment declared win.
void __emutls_register_common(void* Emitted, unsigned Size, unsigned Align, void* Initial) {
  TEmuTlsObject* Object = static_cast<TEmuTlsObject*>(Emitted);
  if (Object->Size < Size) {
    Object->Size = Size;
    Object->Initial = nullptr;
  }
  if (Object->Align < Align) Object->Align = Align;
  if (Initial && Size == Object->Size) Object->Initial = Initial;
}

void ReleaseThreadVariables() {
  LONG TlsIndex = Index;
  if (TlsIndex == NotYet || TlsIndex == NoIndex) return;
  TVariableSet* Set = static_cast<TVariableSet*>(TlsGetValue(static_cast<DWORD>(TlsIndex)));
  if (!Set) return;
  TlsSetValue(static_cast<DWORD>(TlsIndex), nullptr);
  {
    TListLock Lock;
    Unlink(Set);
  }
  FreeVariables(*Set);
  free(Set);
}

void ReleaseRuntime() {
  {
    TListLock Lock;
    while (TVariableSet* Set = Sets) {
      Unlink(Set);
      FreeVariables(*Set);
      free(Set);
    }
    FreeVariables(Shared);
  }
  LONG TlsIndex = InterlockedExchange(&Index, NotYet);
  if (TlsIndex != NotYet && TlsIndex != NoIndex) TlsFree(static_cast<DWORD>(TlsIndex));
  __gnu_cxx::__freeres();
}

// Threads that end while the DLL is loaded give their variables back here; the unload takes
// the rest (ReleaseAtUnload, run by the C runtime after DllMain). At the process's end other
// threads may have been stopped anywhere, even holding the list's lock: nothing is freed then.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD Reason, LPVOID Reserved) {
  if (Reason == DLL_THREAD_DETACH) ReleaseThreadVariables();
  if (Reason == DLL_PROCESS_DETACH) ProcessEnding = Reserved != nullptr;
  return TRUE;
}
