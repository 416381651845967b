// What the C++ library would throw, raised instead as the plugin's own Windows exception, which
// the barriers catch and show in the exception box (the FAR 3 DLLs are built without C++
// exceptions, as the FAR 1.x DLL is).
// The library reaches its failures through operator new and the std::__throw_* helpers; with
// every one of them defined here, none of the library's throwing code is linked into the DLL.
// Each failure is shown at the address that called the helper.
#include <cstdarg>
#include <cstdlib>
#include <new>
#include <string>
#include "Far3Barrier.h"

namespace {

const char OutOfMemory[] = "EOutOfMemory";
const char LibraryCheck[] = "Exception";  // a failed check of the library: a length, a range

[[noreturn]] __attribute__((noinline)) void Fail(const char* ClassName, const char* Message,
                                                 const void* Address) {
  RaiseFailure(ClassName, Message, Address);
}

void* Allocate(std::size_t Size, const void* Caller) {
  if (void* Block = malloc(Size ? Size : 1)) return Block;
  Fail(OutOfMemory, "Out of memory", Caller);
}

}  // namespace

#define CALLER __builtin_return_address(0)

void* operator new(std::size_t Size) { return Allocate(Size, CALLER); }
void* operator new[](std::size_t Size) { return Allocate(Size, CALLER); }
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept {
  return malloc(Size ? Size : 1);
}
void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept {
  return malloc(Size ? Size : 1);
}
void operator delete(void* Block) noexcept { free(Block); }
void operator delete[](void* Block) noexcept { free(Block); }
void operator delete(void* Block, std::size_t) noexcept { free(Block); }
void operator delete[](void* Block, std::size_t) noexcept { free(Block); }
void operator delete(void* Block, const std::nothrow_t&) noexcept { free(Block); }
void operator delete[](void* Block, const std::nothrow_t&) noexcept { free(Block); }

namespace std {

void __throw_bad_alloc() { Fail(OutOfMemory, "Out of memory", CALLER); }
void __throw_bad_array_new_length() { Fail(OutOfMemory, "Out of memory", CALLER); }
void __throw_bad_exception() { Fail(LibraryCheck, "std::bad_exception", CALLER); }
void __throw_bad_cast() { Fail(LibraryCheck, "std::bad_cast", CALLER); }
void __throw_bad_typeid() { Fail(LibraryCheck, "std::bad_typeid", CALLER); }
void __throw_bad_function_call() { Fail(LibraryCheck, "bad_function_call", CALLER); }
void __throw_logic_error(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_domain_error(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_invalid_argument(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_length_error(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_out_of_range(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_runtime_error(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_range_error(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_overflow_error(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_underflow_error(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_ios_failure(const char* What) { Fail(LibraryCheck, What, CALLER); }
void __throw_ios_failure(const char* What, int) { Fail(LibraryCheck, What, CALLER); }
void __throw_system_error(int) { Fail(LibraryCheck, "system_error", CALLER); }
void __throw_future_error(int) { Fail(LibraryCheck, "future_error", CALLER); }

// The library's formats use only %s, %zu and %%, as its own formatter does.
void __throw_out_of_range_fmt(const char* Format, ...) {
  char Message[512];
  size_t Length = 0;
  auto Add = [&](const char* Text, size_t Count) {
    for (size_t I = 0; I < Count && Text[I] && Length + 1 < sizeof(Message); ++I)
      Message[Length++] = Text[I];
  };
  va_list Arguments;
  va_start(Arguments, Format);
  for (const char* P = Format; *P; ++P) {
    if (P[0] == '%' && P[1] == 's') {
      Add(va_arg(Arguments, const char*), static_cast<size_t>(-1));
      ++P;
    } else if (P[0] == '%' && P[1] == 'z' && P[2] == 'u') {
      char Digits[24];
      char* D = Digits + sizeof(Digits);
      *--D = 0;
      std::size_t Value = va_arg(Arguments, std::size_t);
      do {
        *--D = static_cast<char>('0' + Value % 10);
        Value /= 10;
      } while (Value);
      Add(D, static_cast<size_t>(-1));
      P += 2;
    } else {
      if (P[0] == '%' && P[1] == '%') ++P;
      Add(P, 1);
    }
  }
  va_end(Arguments);
  Message[Length] = 0;
  Fail(LibraryCheck, Message, CALLER);  // the barrier copies the text before this frame goes
}

}  // namespace std

// std::wstring's and std::string's members, instantiated here without exceptions. The library's
// own instantiations are compiled with them: their clean-up code would bring their whole support
// into the DLL.
template class std::basic_string<wchar_t>;
template class std::basic_string<char>;
