// The list file in FAR 3: reading it whole, deciding its encoding, decoding it to UTF-16.
#include "Far3ListFile.h"

#include <cstring>
#include "Far3Search.h"

namespace {

const char Utf8Bom[] = "\xEF\xBB\xBF";
const char Utf16Bom[] = "\xFF\xFE";

bool StartsWith(const std::string& Bytes, const char* Prefix) {
  return Bytes.compare(0, strlen(Prefix), Prefix) == 0;
}

// The bytes up to a Ctrl+Z: in UTF-8 and in a single- or double-byte code page it is never part
// of another character.
size_t TextEnd(const std::string& Bytes, size_t From) {
  size_t End = Bytes.find('\x1A', From);
  return End == std::string::npos ? Bytes.size() : End;
}

bool IsValidUtf8(const char* Text, size_t Length) {
  if (Length == 0) return true;
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Text, static_cast<int>(Length),
                             nullptr, 0) > 0;
}

std::wstring Decode(UINT CodePage, const char* Text, size_t Length) {
  std::wstring Result;
  if (Length == 0) return Result;
  const int Size = static_cast<int>(Length);
  const int Wide = MultiByteToWideChar(CodePage, 0, Text, Size, nullptr, 0);
  if (Wide <= 0) return Result;
  Result.resize(static_cast<size_t>(Wide));
  MultiByteToWideChar(CodePage, 0, Text, Size, &Result[0], Wide);
  return Result;
}

}  // namespace

TListEncoding DetectListEncoding(const std::string& Bytes) {
  if (StartsWith(Bytes, Utf8Bom)) return TListEncoding::Utf8Bom;
  if (StartsWith(Bytes, Utf16Bom)) return TListEncoding::Utf16Bom;
  return IsValidUtf8(Bytes.data(), TextEnd(Bytes, 0)) ? TListEncoding::Utf8 : TListEncoding::CodePage;
}

std::wstring DecodeListText(const std::string& Bytes, UINT CodePage) {
  switch (DetectListEncoding(Bytes)) {
    case TListEncoding::Utf16Bom: {  // Ctrl+Z ends it as a character; an odd last byte is dropped
      std::wstring Text((Bytes.size() - 2) / 2, L'\0');
      for (size_t I = 0; I < Text.size(); ++I)
        Text[I] = static_cast<wchar_t>(static_cast<unsigned char>(Bytes[2 + 2 * I]) |
                                       static_cast<unsigned char>(Bytes[3 + 2 * I]) << 8);
      return Text;
    }
    case TListEncoding::Utf8Bom:
      return Decode(CP_UTF8, Bytes.data() + 3, TextEnd(Bytes, 3) - 3);
    case TListEncoding::Utf8:
      return Decode(CP_UTF8, Bytes.data(), TextEnd(Bytes, 0));
    case TListEncoding::CodePage:
      break;
  }
  return Decode(CodePage, Bytes.data(), TextEnd(Bytes, 0));
}

TListEntry SplitListLine(const std::wstring& Line) {
  return SplitAtLastComma<TListEntry>(Line, Line.rfind(L','));
}

namespace {

// The list file's input/output failure with the system's error code. Returns false, for the
// reader to return.
__attribute__((noinline)) bool InOutError(TFailure& Failure, const wchar_t* What,
                                          const std::wstring& FileName) {
  DWORD Code = GetLastError();
  Failure.ClassName = "EInOutError";
  TFixedText(Failure.Message, sizeof(Failure.Message) / sizeof(wchar_t))
      .Add(What).Add(L" ").Add(FileName.c_str()).Add(L" (I/O error ").AddDecimal(Code).Add(L")");
  Failure.Address = __builtin_return_address(0);
  return false;
}

}  // namespace

bool ReadListFileBytes(const std::wstring& FileName, std::string& Bytes, TFailure& Failure) {
  Bytes.clear();
  HANDLE File = CreateFileW(LongPath(FileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return InOutError(Failure, L"Cannot open the list file", FileName);
  bool Read = true;
  // Memory running out while the file is open runs no destructor: the file is closed on the way.
  RunWithCleanup([&] {
    char Buffer[64 * 1024];
    for (;;) {
      DWORD Got = 0;
      if (!ReadFile(File, Buffer, sizeof(Buffer), &Got, nullptr)) {
        Read = InOutError(Failure, L"Cannot read the list file", FileName);
        break;
      }
      if (Got == 0) break;
      Bytes.append(Buffer, Got);
    }
  }, [&] { CloseHandle(File); });
  CloseHandle(File);
  return Read;
}
