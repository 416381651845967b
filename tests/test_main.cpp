// main() of every test program. gtest echoes each failure to OutputDebugStringA; with a second
// thread in the process (gtest starts one at the first failure), 32-bit Wine under an emulated
// x86 crashes in that call and the failure's text is lost. The echo only serves debuggers, so
// the test programs route the import to a function that does nothing.
#include <gtest/gtest.h>
#include <windows.h>

extern "C" {
static void WINAPI IgnoreDebugString(LPCSTR) {}
#ifndef _WIN64
void* QuenbyOutputDebugStringA __asm__("__imp__OutputDebugStringA@4") =
    reinterpret_cast<void*>(&IgnoreDebugString);
#endif
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
