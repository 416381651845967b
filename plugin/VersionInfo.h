// Reads the string values of a module's version resource (U.S. English, code page 1252).
#pragma once

#include <cstdint>
#include <string>

enum TVersionType : uint8_t {
  vtCompanyName,
  vtFileDescription,
  vtFileVersion,
  vtInternalName,
  vtLegalCopyright,
  vtLegalTradeMark,
  vtOriginalFileName,
  vtProductName,
  vtProductVersion,
  vtComments,
  vtCount
};

// The resource key of a member: its name without "vt"; vtLegalTradeMark reads "LegalTrademarks".
const char* VersionKey(TVersionType Type);

class TVersionInfo {
 public:
  // Reads all ten values of the named module; true when at least one was found.
  bool LoadFromFile(const std::string& FileName);
  std::string GetValue(TVersionType Type) const { return FValues[Type]; }

 private:
  std::string FValues[vtCount];
};
