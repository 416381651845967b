// Tests of the host's reads of plugin memory: texts and ranges within readable memory only.
#include "test_host.h"

#include <cstring>
#include <string>

TEST(HostMemory, StringsAreReadOnlyWithinReadableMemory) {
  SYSTEM_INFO sys;
  GetSystemInfo(&sys);
  const std::size_t page = sys.dwPageSize;
  char* mem = static_cast<char*>(VirtualAlloc(nullptr, page * 2, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(mem, nullptr);
  DWORD old;
  ASSERT_TRUE(VirtualProtect(mem + page, page, PAGE_NOACCESS, &old));
  std::memset(mem, 'x', page);

  std::string out;
  EXPECT_FALSE(FarHost::ReadCString(mem, out));  // runs into the inaccessible page
  EXPECT_FALSE(FarHost::ReadCString(nullptr, out));
  EXPECT_FALSE(FarHost::ReadCString(mem + page, out));
  mem[page - 1] = 0;
  EXPECT_TRUE(FarHost::ReadCString(mem, out));
  EXPECT_EQ(out.size(), page - 1);
  EXPECT_FALSE(FarHost::ReadCString(mem, out, 10));  // no NUL within 10 characters
  EXPECT_TRUE(FarHost::ReadCString(mem + page - 11, out, 10));
  EXPECT_EQ(out, std::string(10, 'x'));

  EXPECT_TRUE(FarHost::IsReadable(mem, page));
  EXPECT_FALSE(FarHost::IsReadable(mem, page + 1));
  EXPECT_FALSE(FarHost::IsReadable(nullptr, 4));
  EXPECT_TRUE(FarHost::IsWritable(mem, page));
  ASSERT_TRUE(VirtualProtect(mem, page, PAGE_READONLY, &old));
  EXPECT_TRUE(FarHost::IsReadable(mem, page));
  EXPECT_FALSE(FarHost::IsWritable(mem, 1));
  VirtualFree(mem, 0, MEM_RELEASE);
}
