// Reads the string values of a module's version resource.
#include "VersionInfo.h"

#include <windows.h>
#include <cstring>
#include <vector>

const char* VersionKey(TVersionType Type) {
  static const char* const Keys[vtCount] = {
      "CompanyName",      "FileDescription", "FileVersion", "InternalName",
      "LegalCopyright",   "LegalTrademarks", "OriginalFileName", "ProductName",
      "ProductVersion",   "Comments"};
  return Type < vtCount ? Keys[Type] : "";
}

bool TVersionInfo::LoadFromFile(const std::string& FileName) {
  DWORD Handle = 0;
  DWORD Size = GetFileVersionInfoSizeA(FileName.c_str(), &Handle);
  if (Size == 0) return false;
  std::vector<char> Block(Size, 0);
  GetFileVersionInfoA(FileName.c_str(), 0, Size, Block.data());
  bool Found = false;
  for (int Type = 0; Type < vtCount; ++Type) {
    std::string Path = std::string("StringFileInfo\\040904E4\\") +
                       VersionKey(static_cast<TVersionType>(Type));
    char* Value = nullptr;
    UINT Length = 0;
    if (VerQueryValueA(Block.data(), Path.c_str(), reinterpret_cast<void**>(&Value), &Length) &&
        Value) {
      // Bounded by the block, should a damaged resource lack its terminating zero.
      const char* End = Block.data() + Block.size();
      if (Value >= Block.data() && Value < End)
        FValues[Type].assign(Value, strnlen(Value, End - Value));
      Found = true;
    }
  }
  return Found;
}
