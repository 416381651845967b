// Tests of the host's file list: FAR's order with ".." on top, cursor clamping, the close text.
#include "test_host.h"

#include <string>
#include <vector>

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

HostItem Item(const std::string& name, DWORD attributes, unsigned long long size, int position) {
  HostItem item = HostItem::Make(name, attributes);
  item.fileSize = size;
  item.position = position;
  return item;
}

std::vector<std::string> SortedNames(std::vector<HostItem> items, int mode, bool reverse) {
  farhost::SortItems(items, mode, reverse);
  std::vector<std::string> names;
  for (const HostItem& i : items) names.push_back(i.name);
  return names;
}

}  // namespace

TEST(HostFileList, DotsFirstThenFoldersThenTheModesKey) {
  const std::vector<HostItem> items = {
      Item("b.txt", 0, 10, 0), Item("A", FILE_ATTRIBUTE_DIRECTORY, 0, 1),
      Item("..", FILE_ATTRIBUTE_DIRECTORY, 0, 2), Item("c.doc", 0, 20, 3),
      Item("a.TXT", 0, 10, 4)};
  using Names = std::vector<std::string>;
  EXPECT_EQ(SortedNames(items, SM_NAME, false), (Names{"..", "A", "a.TXT", "b.txt", "c.doc"}));
  // Reversed, folders still come first and ".." stays on top.
  EXPECT_EQ(SortedNames(items, SM_NAME, true), (Names{"..", "A", "c.doc", "b.txt", "a.TXT"}));
  EXPECT_EQ(SortedNames(items, SM_UNSORTED, false), (Names{"..", "b.txt", "A", "c.doc", "a.TXT"}));
  EXPECT_EQ(SortedNames(items, SM_UNSORTED, true), (Names{"..", "a.TXT", "c.doc", "A", "b.txt"}));
  // Largest first; equal sizes by name.
  EXPECT_EQ(SortedNames(items, SM_SIZE, false), (Names{"..", "A", "c.doc", "a.TXT", "b.txt"}));
  // Extensions compare without case; equal ones by name.
  EXPECT_EQ(SortedNames(items, SM_EXT, false), (Names{"..", "A", "c.doc", "a.TXT", "b.txt"}));

  EXPECT_EQ(farhost::FindName(items, "A.txt"), 4);
  EXPECT_EQ(farhost::FindName(items, "missing"), -1);
}

TEST(HostFileList, CursorClampedAsFarClampsAndFoldersAsFarReportsThem) {
  struct Case {
    int count, page, current, top, wantCurrent, wantTop;
  };
  const Case cases[] = {{0, 18, 5, 3, 0, 0},     {5, 18, 10, 5, 4, 0},  {30, 18, 25, 0, 25, 8},
                        {30, 18, -3, 4, 0, 0},   {30, 18, 20, 25, 20, 12}, {3, 0, 2, 0, 2, 2}};
  for (const Case& c : cases) {
    int current = c.current, top = c.top;
    farhost::ClampCursor(c.count, c.page, current, top);
    EXPECT_EQ(current, c.wantCurrent) << c.count << " items, cursor " << c.current;
    EXPECT_EQ(top, c.wantTop) << c.count << " items, top " << c.top;
  }
  EXPECT_EQ(farhost::PanelDirectory("C:\\"), "C:\\");
  EXPECT_EQ(farhost::PanelDirectory("C:\\A\\B\\\\"), "C:\\A\\B");
  EXPECT_EQ(farhost::PanelDirectory("\\\\server\\share\\"), "\\\\server\\share");
  EXPECT_EQ(farhost::PanelDirectory("\\"), "\\");
}

TEST(HostFilePanel, CloseTextChangesToAnExistingFolderOnly) {
  TempFolder dir;
  dir.Write("Sub\\inside.txt", "x");
  dir.Write("file.txt", "x");
  FarHost::FilePanel panel;
  panel.curDir = dir.path() + "\\";
  std::string reason;

  ASSERT_TRUE(panel.ChangeDir("Sub", reason)) << reason;  // relative to the folder shown
  EXPECT_EQ(panel.curDir, dir.path() + "\\Sub");
  ASSERT_TRUE(panel.ChangeDir(dir.path() + "\\", reason)) << reason;
  EXPECT_EQ(panel.curDir, dir.path());

  EXPECT_FALSE(panel.ChangeDir("file.txt", reason));
  EXPECT_EQ(reason, "The specified name is invalid");
  EXPECT_FALSE(panel.ChangeDir(dir.path() + "\\missing", reason));
  EXPECT_EQ(reason, "File not found");
  EXPECT_EQ(panel.curDir, dir.path());  // FAR stays where it was
}

// FAR's change of folder after a close, with every form of text (filelist.cpp ChangeDir and
// mix.cpp FarChDir): it fails exactly where FAR shows its error box, and then stays put.
TEST(HostFilePanel, CloseTextChangesFolderAsFarDoes) {
  TempFolder dir;
  dir.Write("Sub\\inside.txt", "x");
  dir.Write("Sub\\Deeper\\inside.txt", "x");
  dir.Write("file.txt", "x");
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  const std::string top = dir.path(), sub = top + "\\Sub", deeper = sub + "\\Deeper";
  FarHost::FilePanel panel;
  std::string reason;
  auto from = [&](const std::string& shown, const std::string& text) {
    panel.curDir = shown;
    reason.clear();
    return panel.ChangeDir(text, reason);
  };
  auto at = [&](const std::string& folder) { return Lower(panel.curDir) == Lower(folder); };

  // Relative texts start from the folder shown, wherever the process stood.
  SetCurrentDirectoryA("C:\\");
  EXPECT_TRUE(from(top + "\\", "Sub") && at(sub)) << reason << panel.curDir;
  EXPECT_TRUE(from(top, "Sub\\Deeper\\") && at(deeper)) << reason << panel.curDir;
  EXPECT_TRUE(from(deeper, "..") && at(sub)) << reason << panel.curDir;
  EXPECT_TRUE(from(deeper, "..\\..\\") && at(top)) << reason << panel.curDir;
  EXPECT_TRUE(from(sub, "") && panel.curDir == sub) << "no text, no change";
  EXPECT_TRUE(from(sub, "\\") && panel.curDir == "C:\\") << panel.curDir;
  EXPECT_TRUE(from("C:\\", sub.substr(2)) && at(sub)) << "the root of the drive shown";
  EXPECT_TRUE(from(top, deeper + "\\") && panel.curDir == deeper) << panel.curDir;

  // A drive letter with a colon is that drive's current folder: on the drive shown, the folder
  // shown; on another drive, the one FAR was last in there, or its root.
  EXPECT_TRUE(from(sub, "C:") && at(sub)) << reason << panel.curDir;
  EXPECT_TRUE(from(sub, "c:Deeper") && at(deeper)) << reason << panel.curDir;
  if (GetDriveTypeA("Z:\\") != DRIVE_NO_ROOT_DIR) {
    SetEnvironmentVariableA("=Z:", nullptr);
    EXPECT_TRUE(from(deeper, "Z:") && panel.curDir == "Z:\\") << reason << panel.curDir;
    EXPECT_TRUE(from("Z:\\", "C:") && at(deeper)) << reason << panel.curDir;
  }

  // Where FAR shows its box: the panel keeps its folder.
  const struct { std::string text, reason; } failures[] = {
      {"file.txt", "The specified name is invalid"},
      {"missing", "File not found"},
      {"d1\\", "File not found"},
      {"missing\\deeper", "Path not found"},
      {top + "\\missing", "File not found"},
      {"Q:", "Path not found"},
  };
  for (const auto& f : failures) {
    EXPECT_FALSE(from(top, f.text)) << f.text;
    EXPECT_EQ(reason, f.reason) << f.text;
    EXPECT_TRUE(at(top)) << f.text << ": " << panel.curDir;
  }

  // After an empty close FAR rereads the folder it keeps; where that is gone it climbs, without
  // a box, to the nearest folder above that exists.
  panel.curDir = deeper;
  EXPECT_TRUE(panel.Reread(reason) && at(deeper)) << reason;
  panel.curDir = sub + "\\Gone\\Deeper";
  EXPECT_FALSE(panel.Reread(reason));
  EXPECT_TRUE(at(sub)) << panel.curDir;
  EXPECT_EQ(reason, "climbs to " + panel.curDir);
  SetCurrentDirectoryA(top.c_str());
  panel.curDir = "d1\\";
  EXPECT_FALSE(panel.Reread(reason)) << "a relative text names no folder here";
  SetCurrentDirectoryA(saved);
}

