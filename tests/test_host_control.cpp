// Tests of the host's Control: panel info from the file panel, command line, redraw, close.
#include "test_host.h"

#include <cstring>
#include <string>

TEST(HostControl, FilePanelInfoFromTheModel) {
  FarHost host(ServiceOptions("PanelInfo"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  host.filePanel.curDir = "C:\\Work";
  host.filePanel.Add("..", FILE_ATTRIBUTE_DIRECTORY);
  host.filePanel.Add("Projects", FILE_ATTRIBUTE_DIRECTORY);
  host.filePanel.Add("list.txt", FILE_ATTRIBUTE_ARCHIVE);
  host.filePanel.currentItem = 2;

  PanelInfo pi;
  std::memset(&pi, 0xAB, sizeof pi);
  ASSERT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi), TRUE);
  EXPECT_EQ(pi.Plugin, 0);
  EXPECT_EQ(pi.PanelType, PTYPE_FILEPANEL);
  EXPECT_STREQ(pi.CurDir, "C:\\Work");
  ASSERT_EQ(pi.ItemsNumber, 3);
  EXPECT_EQ(pi.CurrentItem, 2);
  EXPECT_EQ(pi.TopPanelItem, 0);
  // FAR's array: 366-byte items, names at offset 44 of each.
  const char* base = reinterpret_cast<const char*>(pi.PanelItems);
  EXPECT_STREQ(base + 366 * 1 + 44, "Projects");
  EXPECT_STREQ(base + 366 * 2 + 44, "list.txt");
  EXPECT_EQ(pi.PanelItems[1].FindData.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  // Nothing selected: the current item stands in for the selection.
  ASSERT_EQ(pi.SelectedItemsNumber, 1);
  EXPECT_STREQ(pi.SelectedItems[0].FindData.cFileName, "list.txt");

  host.filePanel.currentItem = 0;  // on "..": no selection at all
  ASSERT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi), TRUE);
  EXPECT_EQ(pi.SelectedItemsNumber, 0);

  ASSERT_EQ(host.controls.size(), 2u);
  EXPECT_EQ(host.controls[0].command, FCTL_GETPANELINFO);
  EXPECT_TRUE(host.controls[0].filePanel);
  EXPECT_FALSE(host.controls[0].paramNull);
  EXPECT_EQ(host.controls[0].result, TRUE);
  EXPECT_EQ(host.Count("Control:GETPANELINFO"), 2);

  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, nullptr), FALSE);
  ExpectFailures(host, 1, "not a writable PanelInfo");

  // FAR reports its folder as GetCurrentDirectory gives it: only a drive root ends with '\'.
  for (const char* shown : {"C:\\Work\\", "C:\\Work", "C:\\", "D:\\A\\B\\\\"}) {
    host.filePanel.curDir = shown;
    ASSERT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &pi), TRUE);
    const std::string expected = std::string(shown) == "C:\\" ? "C:\\"
                                 : shown[0] == 'D'              ? "D:\\A\\B"
                                                                : "C:\\Work";
    EXPECT_EQ(std::string(pi.CurDir), expected) << shown;
  }
}

TEST(HostControl, CommandLineRedrawCloseAndUnknownCommands) {
  FarHost host(ServiceOptions("Control"));
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  host.filePanel.Add("a");
  host.filePanel.Add("b");
  host.filePanel.Add("c");

  char part1[] = "C:\\Work\\", part2[] = "list.txt";
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_INSERTCMDLINE, part1), TRUE);
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_INSERTCMDLINE, part2), TRUE);
  EXPECT_EQ(host.commandLine, "C:\\Work\\list.txt");
  EXPECT_EQ(host.controls[1].text, "list.txt");

  PanelRedrawInfo ri{10, 5};
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, &ri), TRUE);
  EXPECT_EQ(host.filePanel.currentItem, 2);  // clamped into the list as FAR does
  EXPECT_EQ(host.filePanel.topPanelItem, 0);
  EXPECT_EQ(host.log.back(), "Control:REDRAWPANEL(10,5)");
  EXPECT_TRUE(host.controls.back().hasRedraw);
  EXPECT_EQ(host.controls.back().redraw.CurrentItem, 10);
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr), TRUE);
  EXPECT_EQ(host.log.back(), "Control:REDRAWPANEL");
  EXPECT_TRUE(host.controls.back().paramNull);

  char dir[] = "C:\\Target";
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_CLOSEPLUGIN, dir), TRUE);
  EXPECT_EQ(host.controls.back().text, "C:\\Target");
  ASSERT_TRUE(host.filePanel.pendingClose.has_value());  // deferred until a plugin call ends
  EXPECT_EQ(*host.filePanel.pendingClose, "C:\\Target");
  EXPECT_TRUE(host.failures.empty());

  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, nullptr), FALSE);
  ExpectFailures(host, 1, "SETSELECTION");
  EXPECT_EQ(si.Control(reinterpret_cast<HANDLE>(0x1234), FCTL_UPDATEPANEL, nullptr), FALSE);
  ExpectFailures(host, 1, "not an open plugin panel");
  EXPECT_EQ(si.Control(INVALID_HANDLE_VALUE, FCTL_INSERTCMDLINE, nullptr), FALSE);
  ExpectFailures(host, 1, "NULL text");
}
