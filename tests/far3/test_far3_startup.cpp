// Start-up as FAR 3 loads the plugin: GetGlobalInfoW's identity and the checks FAR makes of it,
// SetStartupInfoW with FAR's records on the stack, and the menus of GetPluginInfoW, with the
// disks-menu item only while AddToDisksMenu is 1.
#include <cstring>

#include "Far3TestWorld.h"

namespace {

using namespace far3test;

TEST_F(PluginTest, GlobalInfoNamesThePluginForFar3) {
  Start();
  const auto& g = host->globalInfo;
  EXPECT_EQ(g.structSize, sizeof(GlobalInfo));
  EXPECT_FALSE(far3host::IsNullGuid(g.guid));
  EXPECT_FALSE(g.title.empty());
  EXPECT_FALSE(g.description.empty());
  EXPECT_FALSE(g.author.empty());
  // The oldest FAR 3 whose API the plugin follows: a FAR 3 build, not newer than today's.
  EXPECT_EQ(g.minFarVersion.Major, 3u);
  EXPECT_EQ(g.minFarVersion.Minor, 0u);
  EXPECT_GE(g.minFarVersion.Build, 2927u) << "before build 2927 the API was not final";
  EXPECT_LE(g.minFarVersion.Build, 6730u);
  // The plugin's version is its version resource's: 1.2.x.
  EXPECT_EQ(g.version.Major, 1u);
  EXPECT_EQ(g.version.Minor, 2u);
  EXPECT_EQ(host->log.front(), "GetGlobalInfoW");
  EXPECT_EQ(host->Count("SetStartupInfoW"), 1);
}

TEST_F(PluginTest, MenusAndTheDisksMenuItem) {
  Start([](Far3Host& h) { PresetNumber(h, L"AddToDisksMenu", 1); });
  ASSERT_TRUE(host->GetPluginInfo());
  const auto& info = host->pluginInfo;
  const std::wstring name = Msg(*host, 4);
  EXPECT_FALSE(name.empty());
  ASSERT_EQ(info.pluginMenu.size(), 1u);
  ASSERT_EQ(info.pluginConfig.size(), 1u);
  ASSERT_EQ(info.diskMenu.size(), 1u);
  EXPECT_EQ(info.pluginMenu[0].text, name);
  EXPECT_EQ(info.pluginConfig[0].text, name);
  EXPECT_EQ(info.diskMenu[0].text, name);
  EXPECT_FALSE(info.hasCommandPrefix);
  EXPECT_EQ(info.flags, 0u) << "no PF_PRELOAD: FAR may take the menus from its cache";
  // Each menu item has a GUID of its own, none the plugin's or FAR's.
  const GUID* ids[] = {&info.pluginMenu[0].guid, &info.pluginConfig[0].guid, &info.diskMenu[0].guid,
                       &host->globalInfo.guid};
  for (int a = 0; a < 4; ++a)
    for (int b = a + 1; b < 4; ++b) EXPECT_NE(std::memcmp(ids[a], ids[b], sizeof(GUID)), 0) << a << b;
}

TEST_F(PluginTest, NoDisksMenuItemUnlessAddToDisksMenuIsOne) {
  for (unsigned long long value : {0ull, 2ull}) {
    host->Shutdown();
    host.reset();
    host = NewHost();
    Start([&](Far3Host& h) { PresetNumber(h, L"AddToDisksMenu", value); });
    ASSERT_TRUE(host->GetPluginInfo());
    EXPECT_TRUE(host->pluginInfo.diskMenu.empty()) << "AddToDisksMenu " << value;
    EXPECT_EQ(host->pluginInfo.pluginMenu.size(), 1u);
  }
}

TEST_F(PluginTest, DefaultsWithNothingStored) {
  Start();
  ASSERT_TRUE(host->GetPluginInfo());
  EXPECT_EQ(host->pluginInfo.diskMenu.size(), 1u) << "AddToDisksMenu defaults to 1";
  // Loading writes nothing: the store stays empty until the dialog's OK.
  EXPECT_TRUE(host->settings.Root(host->PluginGuid()).values.empty());
  EXPECT_EQ(host->settings.OpenHandles(), 0u) << "every settings handle was freed";
}

TEST_F(PluginTest, ARussianFarGetsTheRussianTexts) {
  host->Shutdown();
  host.reset();
  host = NewHost(L"Russian");
  Start();
  ASSERT_TRUE(host->GetPluginInfo());
  ASSERT_EQ(host->pluginInfo.pluginMenu.size(), 1u);
  ASSERT_NE(host->Messages(), nullptr);
  EXPECT_EQ(U8(host->Messages()->name), "Russian");
  EXPECT_EQ(host->pluginInfo.pluginMenu[0].text, Msg(*host, 4));
  EXPECT_EQ(host->Messages()->messages.size(), 21u) << "messages 0 to 20";
}

}  // namespace
