// FAR's file panel over a folder on disk: its items in FAR's order, and the paths around it.
#include "DiskFolder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Layout.h"

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + (!folder.empty() && folder.back() == '\\' ? "" : "\\") + name;
}

std::string ParentOf(const std::string& path) {
  std::string p = FarHost::PanelDirectory(path);
  size_t slash = p.rfind('\\');
  if (slash == std::string::npos) return p;
  return p.substr(0, slash == 2 && p[1] == ':' ? 3 : slash);
}

void LoadFolder(FarHost::FilePanel& panel, const std::string& focus) {
  const HostItem* cur =
      panel.currentItem >= 0 && panel.currentItem < static_cast<int>(panel.items.size())
          ? &panel.items[panel.currentItem]
          : nullptr;
  std::string keep = !focus.empty() ? focus : cur ? cur->name : std::string();
  std::vector<HostItem> folders, files;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(JoinPath(panel.curDir, "*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!strcmp(d.cFileName, ".")) continue;
      HostItem item = HostItem::Make(d.cFileName, d.dwFileAttributes);
      item.lastWriteTime = d.ftLastWriteTime;
      item.fileSize = (static_cast<unsigned long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
      (item.IsDirectory() ? folders : files).push_back(item);
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  auto byName = [](const HostItem& a, const HostItem& b) {
    return a.name == ".." || (b.name != ".." && lstrcmpiA(a.name.c_str(), b.name.c_str()) < 0);
  };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  folders.insert(folders.end(), files.begin(), files.end());
  panel.items = folders;
  for (size_t i = 0; i < panel.items.size() && !keep.empty(); ++i)
    if (lstrcmpiA(panel.items[i].name.c_str(), keep.c_str()) == 0)
      panel.currentItem = static_cast<int>(i);
  panel.currentItem =
      std::max(0, std::min<int>(panel.currentItem, static_cast<int>(panel.items.size()) - 1));
}

// The drives for FAR's disks menu. Wine answers GetLogicalDrives only once its mount manager runs,
// which a fresh Wine under an emulator starts late; until then the drives that answer
// GetDriveTypeA are listed, so that the menu is never without them.
static DWORD ListedDrives() {
  DWORD drives = GetLogicalDrives();
  if (drives != 0) return drives;
  for (int d = 0; d < 26; ++d) {
    const char root[] = {static_cast<char>('A' + d), ':', '\\', 0};
    if (GetDriveTypeA(root) > DRIVE_NO_ROOT_DIR) drives |= 1u << d;
  }
  return drives;
}

std::vector<std::wstring> DriveLines(std::vector<std::string>& roots) {
  std::vector<std::wstring> lines;
  DWORD drives = ListedDrives();
  for (int d = 0; d < 26; ++d) {
    if (!(drives & (1u << d))) continue;
    std::string root = std::string(1, static_cast<char>('A' + d)) + ":\\";
    UINT type = GetDriveTypeA(root.c_str());
    const wchar_t* kind = type == DRIVE_REMOVABLE ? L"removable"
                          : type == DRIVE_REMOTE  ? L"network"
                          : type == DRIVE_CDROM   ? L"CD-ROM"
                          : type == DRIVE_RAMDISK ? L"RAM disk"
                                                  : L"fixed";
    ULARGE_INTEGER freeToUser{}, total{}, free{};
    auto gigabytes = [](ULONGLONG bytes) {
      wchar_t buf[32];
      swprintf(buf, 32, L"%.2f G", bytes / 1073741824.0);
      return Fit(buf, 9, true);
    };
    std::wstring sizes = Fit(L"", 9) + L"\x2502" + Fit(L"", 9);
    if (GetDiskFreeSpaceExA(root.c_str(), &freeToUser, &total, &free))
      sizes = gigabytes(total.QuadPart) + L"\x2502" + gigabytes(free.QuadPart);
    lines.push_back(L"&" + Widen(root.substr(0, 2)) + L" " + Fit(kind, 9) + L"\x2502" + sizes);
    roots.push_back(root);
  }
  return lines;
}
