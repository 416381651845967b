// The exception unwinder's table of quenby.dll's frame descriptions (GCC builds).
#pragma once

// What the unwinder learns with a frame description: the function's start, and the bases of
// text- and data-relative addresses (none on this platform).
struct TUnwindBases {
  void* TextBase;
  void* DataBase;
  void* Function;
};

extern "C" {
// The start-up code registers the DLL's .eh_frame section at load and drops it at unload.
void __register_frame_info(const void* Section, void* Registration);
void* __deregister_frame_info(const void* Section);
// The frame description covering Pc, or NULL.
const void* _Unwind_Find_FDE(void* Pc, TUnwindBases* Bases);
}
