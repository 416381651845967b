// The release package as a FAR user gets it: Quenby-<version>.zip unpacked into a folder (by the
// test's fixture), its files checked, and quenby.dll loaded from there as FAR loads a plugin.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include "FARLang.h"
#include "FarHost.h"
#include "LangFile.h"

namespace {

const std::string Dir = QUENBY_PACKAGE_DIR;  // ...\Quenby, as unpacked from the zip
const std::string Built = QUENBY_PLUGIN_DIR;
const std::string Version = QUENBY_PACKAGE_VERSION;

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n = d.cFileName;
    if (n != "." && n != "..") names.insert(n);
  } while (FindNextFileA(h, &d));
  FindClose(h);
  return names;
}

// The lines of a text FAR users read: every line ends with CR LF, every byte is ASCII.
std::vector<std::string> CrlfLines(const std::string& what, const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      lines.push_back(line);
      line.clear();
      ++i;
    } else if (c == '\r' || c == '\n') {
      ADD_FAILURE() << what << ": a bare CR or LF after line " << lines.size();
    } else if (c >= 0x80 || (c < 0x20 && c != '\t')) {
      ADD_FAILURE() << what << ": byte " << int(c) << " in line " << lines.size() + 1;
    } else {
      line += bytes[i];
    }
  }
  EXPECT_TRUE(line.empty()) << what << ": the last line has no CR LF";
  return lines;
}

struct Entry {
  std::string Folder, Description;
};

Entry Split(const std::string& line) {  // the list-file rule: the last comma splits
  size_t comma = line.rfind(',');
  if (comma == std::string::npos) return {line, line};
  return {line.substr(0, comma), line.substr(comma + 1)};
}

}  // namespace

TEST(Package, HoldsOneQuenbyFolderWithTheReleaseFiles) {
  EXPECT_EQ(FilesIn(Dir + "\\.."), std::set<std::string>{"Quenby"});
  EXPECT_EQ(FilesIn(Dir), (std::set<std::string>{"quenby.dll", "QuenbyEng.lng", "QuenbyRus.lng",
                                                 "QuenbyEng.hlf", "QuenbyRus.hlf", "Example.vfs",
                                                 "Quenby.txt"}));
  for (const char* name : {"quenby.dll", "QuenbyEng.lng", "QuenbyRus.lng", "QuenbyEng.hlf",
                           "QuenbyRus.hlf"}) {
    std::string packed = ReadAll(Dir + "\\" + name);
    EXPECT_FALSE(packed.empty()) << name;
    EXPECT_TRUE(packed == ReadAll(Built + "\\" + name)) << name << " differs from the build's";
  }
}

TEST(Package, TextsAreCrlfAsciiAndTheReadmeCoversInstallAndTheListFile) {
  std::vector<std::string> readme = CrlfLines("Quenby.txt", ReadAll(Dir + "\\Quenby.txt"));
  std::string all;
  for (const std::string& l : readme) {
    EXPECT_LE(l.size(), 79u) << "Quenby.txt line too wide for FAR's viewer: " << l;
    all += l + "\n";
  }
  for (const std::string& needed : std::vector<std::string>{"FAR\\Plugins\\", "Restart FAR", Version, "Example.vfs",
                                    "Alt+Shift+F9", "last comma", "OEM"}) {
    bool found = false;
    for (size_t i = 0; i + needed.size() <= all.size() && !found; ++i)
      found = CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, all.data() + i,
                             static_cast<int>(needed.size()), needed.data(),
                             static_cast<int>(needed.size())) == CSTR_EQUAL;
    EXPECT_TRUE(found) << "Quenby.txt does not mention " << needed;
  }
  std::vector<std::string> example = CrlfLines("Example.vfs", ReadAll(Dir + "\\Example.vfs"));
  ASSERT_GE(example.size(), 3u);
  for (const std::string& l : example)
    EXPECT_TRUE(l.size() > 3 && l[1] == ':' && l[2] == '\\') << "not a full path: " << l;
}

TEST(Package, HelpFilesHaveEveryTopicThePluginShows) {
  for (const char* name : {"QuenbyEng.hlf", "QuenbyRus.hlf"}) {
    std::istringstream text(ReadAll(Dir + "\\" + name));
    std::set<std::string> topics;
    std::string line, first;
    while (std::getline(text, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (first.empty()) first = line;
      if (line.size() > 1 && line[0] == '@' && line[1] != '-' && line[1] != '+')
        topics.insert(line.substr(1));
    }
    EXPECT_EQ(first.rfind(".Language=", 0), 0u) << name;
    for (const char* topic :
         {"Contents", "QuenbyCfg", "VFSNotExist", "Exception", "Author", "VerInfNotExist"})
      EXPECT_TRUE(topics.count(topic)) << name << " has no topic @" << topic;
  }
}

TEST(Package, DllRunsFromThePackageWithItsTextsVersionAndExample) {
  char startDir[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, startDir);
  FarHost::Options options;
  options.dllPath = Dir + "\\quenby.dll";
  options.rootKey = FarHost::TestRootKey("package");
  FarHost host(options);
  host.onFailure = [](const std::string& f) { ADD_FAILURE() << "host: " << f; };
  host.WriteString("FileSystemFile", Dir + "\\Example.vfs");
  host.WriteValue("FileSystemExt", REG_BINARY, "VFS", 3);
  host.WriteDword("ShowAllFolders", 1);  // entries without content are listed too
  ASSERT_TRUE(host.LoadAndStart()) << host.lastError;

  // The menus show the name from the packaged language file, in either language.
  for (const char* language : {"English", "Russian"}) {
    LangFile file;
    std::string error;
    ASSERT_TRUE(ReadLngFile(Dir + "\\Quenby" + std::string(language, 3) + ".lng", file, error))
        << error;
    ASSERT_EQ(file.messages.size(), static_cast<size_t>(MMessageCount)) << language;
    host.SetLanguage(language);
    ASSERT_TRUE(host.GetPluginInfo());
    ASSERT_NE(host.Messages(), nullptr);
    EXPECT_EQ(host.Messages()->language, language);
    EXPECT_EQ(host.pluginInfo.pluginMenuStrings,
              std::vector<std::string>{file.messages[MPluginName]});
    EXPECT_EQ(host.pluginInfo.pluginConfigStrings, host.pluginInfo.pluginMenuStrings);
  }
  host.SetLanguage("English");

  // The version resource agrees with the package's name.
  DWORD ignored = 0, size = GetFileVersionInfoSizeA(options.dllPath.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(options.dllPath.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
  EXPECT_EQ(std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                std::to_string(LOWORD(fixed->dwFileVersionLS)),
            Version);

  // Enter on the packaged Example.vfs: one entry per line, with its description, then "..".
  host.filePanel.curDir = Dir;
  host.filePanel.Add("Example.vfs");
  FarHost::Panel* panel = host.OpenFilePlugin(Dir + "\\Example.vfs");
  ASSERT_NE(panel, nullptr);
  std::vector<std::string> lines = CrlfLines("Example.vfs", ReadAll(Dir + "\\Example.vfs"));
  EXPECT_EQ(panel->items.size(), lines.size() + 1);
  for (const std::string& line : lines) {
    Entry entry = Split(line);
    int index = panel->Find(entry.Folder);
    ASSERT_GE(index, 0) << entry.Folder;
    EXPECT_EQ(panel->items[index].description, entry.Description);
  }
  // F8 on the list: the About box shows the version of the packaged DLL.
  ASSERT_EQ(panel->Key(VK_F8), 1);
  ASSERT_FALSE(host.messages.empty());
  std::string title = host.messages.back().Title();
  size_t v = title.find(" v.");
  ASSERT_NE(v, std::string::npos) << title;
  EXPECT_EQ(Version.rfind(title.substr(v + 3), 0), 0u) << title;

  host.Shutdown();
  EXPECT_TRUE(host.failures.empty());
  EXPECT_TRUE(host.DeleteRootKey());
  SetCurrentDirectoryA(startDir);
}
