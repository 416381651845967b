// The exception unwinder's lookup of the DLL's frame descriptions (its .eh_frame section).
// libgcc's registry guards its list of sections with a semaphore made at every load and never
// closed. The DLL has one section, registered at load and dropped at unload (both under the
// loader's lock), and a lookup only reads it: no lock, no allocation, nothing left behind. A
// lookup walks the section (about a thousand descriptions); an exception makes a few dozen.
#include "FrameTable.h"

#include <windows.h>
#include <cstring>

namespace {

typedef const unsigned char* TBytes;

// DWARF's pointer encodings (DW_EH_PE_*): the low four bits give the form, the next three what
// the value is relative to.
enum : unsigned char {
  PeAbsPtr = 0x00, PeUleb128 = 0x01, PeUdata2 = 0x02, PeUdata4 = 0x03, PeUdata8 = 0x04,
  PeSleb128 = 0x09, PeSdata2 = 0x0A, PeSdata4 = 0x0B, PeSdata8 = 0x0C,
  PeFormMask = 0x0F, PePcRel = 0x10, PeAligned = 0x50, PeRelativeMask = 0x70,
  PeIndirect = 0x80, PeOmit = 0xFF
};

TBytes ReadUleb(TBytes P, UINT_PTR& Value) {
  Value = 0;
  unsigned Shift = 0;
  unsigned char Byte;
  do {
    Byte = *P++;
    if (Shift < 32) Value |= static_cast<UINT_PTR>(Byte & 0x7F) << Shift;
    Shift += 7;
  } while (Byte & 0x80);
  return P;
}

TBytes ReadSleb(TBytes P, UINT_PTR& Value) {
  unsigned Shift = 0;
  unsigned char Byte;
  Value = 0;
  do {
    Byte = *P++;
    if (Shift < 32) Value |= static_cast<UINT_PTR>(Byte & 0x7F) << Shift;
    Shift += 7;
  } while (Byte & 0x80);
  if (Shift < 32 && (Byte & 0x40)) Value |= ~static_cast<UINT_PTR>(0) << Shift;
  return P;
}

template <class T> UINT_PTR Fixed(TBytes& P) {
  T Value;
  memcpy(&Value, P, sizeof Value);
  P += sizeof Value;
  return static_cast<UINT_PTR>(Value);
}

// A pointer in Encoding, read at P. Text- and data-relative values have no base here, as in
// libgcc's registry. False for a form it does not know.
bool ReadEncoded(unsigned char Encoding, TBytes& P, UINT_PTR& Value) {
  Value = 0;
  if (Encoding == PeOmit) return true;
  if ((Encoding & PeRelativeMask) == PeAligned) {
    UINT_PTR At = (reinterpret_cast<UINT_PTR>(P) + sizeof(void*) - 1) & ~(sizeof(void*) - 1);
    P = reinterpret_cast<TBytes>(At);
    Value = Fixed<UINT_PTR>(P);
    return true;
  }
  TBytes Field = P;
  switch (Encoding & PeFormMask) {
    case PeAbsPtr: Value = Fixed<UINT_PTR>(P); break;
    case PeUleb128: P = ReadUleb(P, Value); break;
    case PeSleb128: P = ReadSleb(P, Value); break;
    case PeUdata2: Value = Fixed<unsigned short>(P); break;
    case PeSdata2: Value = Fixed<short>(P); break;
    case PeUdata4: Value = Fixed<unsigned>(P); break;
    case PeSdata4: Value = Fixed<int>(P); break;
    case PeUdata8: case PeSdata8: Value = UINT_PTR(Fixed<unsigned long long>(P)); break;
    default: return false;
  }
  if (Value == 0) return true;  // a NULL stays NULL, whatever it is relative to
  if ((Encoding & PeRelativeMask) == PePcRel) Value += reinterpret_cast<UINT_PTR>(Field);
  if (Encoding & PeIndirect) Value = *reinterpret_cast<const UINT_PTR*>(Value);
  return true;
}

// How the addresses of the descriptions that share this common entry are encoded: the 'R' of
// its augmentation ("zR", "zPLR"), plain addresses without one.
unsigned char AddressEncoding(TBytes Cie) {
  TBytes P = Cie + 8;  // past the length and the zero id
  unsigned char Version = *P++;
  const char* Augmentation = reinterpret_cast<const char*>(P);
  P += strlen(Augmentation) + 1;
  if (Augmentation[0] != 'z') return PeAbsPtr;
  if (Version >= 4) {
    if (P[0] != sizeof(void*) || P[1] != 0) return PeOmit;
    P += 2;
  }
  UINT_PTR Skipped;
  P = ReadUleb(P, Skipped);  // code alignment
  P = ReadSleb(P, Skipped);  // data alignment
  if (Version == 1) ++P; else P = ReadUleb(P, Skipped);  // return address column
  P = ReadUleb(P, Skipped);  // length of the augmentation data
  for (const char* A = Augmentation + 1;; ++A) {
    if (*A == 'R') return *P;
    if (*A == 'P') {
      unsigned char Personality = *P++;
      if (!ReadEncoded(static_cast<unsigned char>(Personality & ~PeIndirect), P, Skipped))
        return PeOmit;
    } else if (*A == 'L' || *A == 'B') {
      ++P;
    } else {
      return PeAbsPtr;
    }
  }
}

struct TFrame {
  UINT_PTR Begin, Length;
  TBytes Description;
};

// The description covering Address, walking the section (discarded code has address 0); the
// descriptions that follow one common entry share its encoding, read once for all of them.
TFrame FrameAt(TBytes Section, UINT_PTR Address) {
  TBytes LastCie = nullptr;
  unsigned char Encoding = PeOmit;
  for (TBytes P = Section;;) {
    DWORD Length;
    memcpy(&Length, P, sizeof Length);
    if (Length == 0 || Length == 0xFFFFFFFF) return TFrame{0, 0, nullptr};  // the end
    LONG CieOffset;
    memcpy(&CieOffset, P + 4, sizeof CieOffset);
    if (CieOffset != 0) {  // a description; common entries have 0 here
      TBytes Cie = P + 4 - CieOffset;
      if (Cie != LastCie) Encoding = AddressEncoding(LastCie = Cie);
      TBytes Q = P + 8;
      TFrame Frame{0, 0, P};
      if (Encoding != PeOmit && ReadEncoded(Encoding, Q, Frame.Begin) &&
          ReadEncoded(Encoding & PeFormMask, Q, Frame.Length) && Frame.Begin != 0 &&
          Address - Frame.Begin < Frame.Length)
        return Frame;
    }
    P += 4 + Length;
  }
}

TBytes Section = nullptr;
void* Registration = nullptr;

}  // namespace

void __register_frame_info(const void* Begin, void* Object) {
  if (!Begin || *static_cast<const DWORD*>(Begin) == 0) return;  // an empty section
  Section = static_cast<TBytes>(Begin);
  Registration = Object;
}

void* __deregister_frame_info(const void* Begin) {
  if (!Section || Begin != Section) return nullptr;
  Section = nullptr;
  return Registration;
}

const void* _Unwind_Find_FDE(void* Pc, TUnwindBases* Bases) {
  if (!Section) return nullptr;
  TFrame Found = FrameAt(Section, reinterpret_cast<UINT_PTR>(Pc));
  if (!Found.Description) return nullptr;
  Bases->TextBase = nullptr;
  Bases->DataBase = nullptr;
  Bases->Function = reinterpret_cast<void*>(Found.Begin);
  return Found.Description;
}
