// Tests of the host's plugin module: the start-up record, loading quenby.dll and its exports.
#include "test_host.h"

#include <string>
#include <utility>

TEST(HostStartupInfo, RecordAsFarBuildsIt) {
  FarHost host(ServiceOptions("Startup"));
  host.options.moduleNumber = 3;
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  EXPECT_EQ(si.StructSize, 336);
  EXPECT_EQ(si.ModuleNumber, 3);
  ASSERT_NE(si.RootKey, nullptr);
  EXPECT_EQ(std::string(si.RootKey), host.options.rootKey);
  const char* root = si.RootKey;
  PluginStartupInfo again;
  host.FillStartupInfo(again);
  EXPECT_EQ(std::string(root), host.options.rootKey);  // earlier RootKey pointers stay valid
  const FARAPIGENERIC generic[] = {si.SaveScreen, si.RestoreScreen, si.GetDirList,
                                   si.GetPluginDirList, si.FreeDirList, si.Viewer, si.Editor,
                                   si.CmpName, si.CharTable, si.Text, si.EditorControl};
  for (FARAPIGENERIC f : generic) EXPECT_NE(f, nullptr);
  EXPECT_NE(si.Menu, nullptr);
  EXPECT_NE(si.Dialog, nullptr);
  EXPECT_NE(si.Message, nullptr);
  EXPECT_NE(si.GetMsg, nullptr);
  EXPECT_NE(si.Control, nullptr);
  EXPECT_TRUE(host.failures.empty());
}

TEST(HostLoad, QuenbyLoadsWithAllThirteenExports) {
  FarHost host(ServiceOptions("Load"));
  ASSERT_TRUE(host.Load()) << host.lastError;
  EXPECT_TRUE(host.IsLoaded());
  EXPECT_FALSE(AreFileApisANSI());  // FAR's OEM file APIs, set before the plugin loads

  const auto* base = reinterpret_cast<const unsigned char*>(host.Module());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const uintptr_t lo = reinterpret_cast<uintptr_t>(base);
  const uintptr_t hi = lo + nt->OptionalHeader.SizeOfImage;
  const FarHost::Exports& e = host.exports;
  const std::pair<const char*, const void*> all[] = {
      {"SetStartupInfo", reinterpret_cast<const void*>(e.SetStartupInfo)},
      {"GetPluginInfo", reinterpret_cast<const void*>(e.GetPluginInfo)},
      {"OpenPlugin", reinterpret_cast<const void*>(e.OpenPlugin)},
      {"OpenFilePlugin", reinterpret_cast<const void*>(e.OpenFilePlugin)},
      {"ClosePlugin", reinterpret_cast<const void*>(e.ClosePlugin)},
      {"GetOpenPluginInfo", reinterpret_cast<const void*>(e.GetOpenPluginInfo)},
      {"GetFindData", reinterpret_cast<const void*>(e.GetFindData)},
      {"FreeFindData", reinterpret_cast<const void*>(e.FreeFindData)},
      {"SetDirectory", reinterpret_cast<const void*>(e.SetDirectory)},
      {"ProcessKey", reinterpret_cast<const void*>(e.ProcessKey)},
      {"ProcessEvent", reinterpret_cast<const void*>(e.ProcessEvent)},
      {"Configure", reinterpret_cast<const void*>(e.Configure)},
      {"ExitFAR", reinterpret_cast<const void*>(e.ExitFAR)}};
  for (const auto& [name, address] : all) {
    const uintptr_t a = reinterpret_cast<uintptr_t>(address);
    EXPECT_TRUE(a >= lo && a < hi) << name << " is not inside quenby.dll";
    EXPECT_EQ(reinterpret_cast<const void*>(GetProcAddress(host.Module(), name)), address) << name;
  }

  // ModuleName is the full path, and the language files sit beside the DLL.
  PluginStartupInfo si;
  host.FillStartupInfo(si);
  EXPECT_EQ(std::string(si.ModuleName), host.fullDllPath);
  std::string lower = host.fullDllPath;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(lower.find("\\quenby.dll"), std::string::npos) << host.fullDllPath;
  EXPECT_NE(host.fullDllPath.find(':'), std::string::npos) << "not a full path";

  host.Unload();
  EXPECT_FALSE(host.IsLoaded());
  EXPECT_EQ(host.exports.OpenPlugin, nullptr);
  EXPECT_TRUE(host.failures.empty());
}

TEST(HostLoad, MissingExportsOrFileAreErrors) {
  {
    FarHost::Options o = ServiceOptions("LoadKernel");
    char system[MAX_PATH];
    UINT n = GetSystemDirectoryA(system, sizeof system);
    ASSERT_GT(n, 0u);
    o.dllPath = std::string(system, n) + "\\kernel32.dll";
    FarHost host(o);
    EXPECT_FALSE(host.Load());
    EXPECT_FALSE(host.IsLoaded());
    EXPECT_NE(host.lastError.find("SetStartupInfo"), std::string::npos) << host.lastError;
    EXPECT_NE(host.lastError.find("ExitFAR"), std::string::npos) << host.lastError;
    EXPECT_EQ(host.exports.SetStartupInfo, nullptr);
    EXPECT_FALSE(host.StartUp());
  }
  {
    FarHost::Options o = ServiceOptions("LoadMissing");
    o.dllPath = std::string(QUENBY_PLUGIN_DIR) + "\\no-such-plugin.dll";
    FarHost host(o);
    EXPECT_FALSE(host.Load());
    EXPECT_NE(host.lastError.find("no-such-plugin.dll"), std::string::npos) << host.lastError;
  }
}
