// Tests of the test registry helpers: raw values round-trip, the root key goes with its parents.
#include "test_host.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

TEST(HostRegistry, RawValuesRoundTripExactly) {
  FarHost host(ServiceOptions("RegRaw"));
  host.DeleteRootKey();
  EXPECT_FALSE(host.ReadValue("Missing").has_value());

  // A string without its NUL, a DWORD of the wrong length, odd binary, a multi-string, a big value.
  ASSERT_TRUE(host.WriteValue("NoNul", REG_SZ, "abc", 3));
  const unsigned char three[] = {1, 2, 3};
  ASSERT_TRUE(host.WriteValue("ShortDword", REG_DWORD, three, 3));
  const unsigned char odd[] = {0, 0xFF, 0, 7, 0};
  ASSERT_TRUE(host.WriteValue("Odd", REG_BINARY, odd, sizeof odd));
  const char multi[] = "one\0two\0";
  ASSERT_TRUE(host.WriteValue("Multi", REG_MULTI_SZ, multi, sizeof multi));
  std::vector<unsigned char> big(100000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 7);
  ASSERT_TRUE(host.WriteValue("Big", REG_BINARY, big.data(), big.size()));
  ASSERT_TRUE(host.WriteDword("Number", 0x12345678));
  ASSERT_TRUE(host.WriteString("Text", "C:\\list.txt"));
  ASSERT_TRUE(host.WriteDword("Elsewhere", 1, "Other"));

  auto v = host.ReadValue("NoNul");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->type, static_cast<DWORD>(REG_SZ));
  // The ANSI registry API appends the missing NUL when the reader's buffer has room (NT does,
  // and Wine copies it), so a reader sees "abc" followed by at most one NUL.
  std::string noNul(v->data.begin(), v->data.end());
  EXPECT_TRUE(noNul == "abc" || noNul == std::string("abc", 4)) << noNul.size();
  v = host.ReadValue("ShortDword");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(v->data, std::vector<BYTE>(three, three + 3));
  EXPECT_FALSE(host.ReadDword("ShortDword").has_value());  // not a 4-byte DWORD
  v = host.ReadValue("Odd");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(v->data, std::vector<BYTE>(odd, odd + sizeof odd));
  v = host.ReadValue("Multi");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(v->data, std::vector<BYTE>(multi, multi + sizeof multi));
  v = host.ReadValue("Big");
  ASSERT_TRUE(v.has_value());
  EXPECT_TRUE(v->data == big) << v->data.size();  // no element-wise diff of 100000 bytes
  EXPECT_EQ(host.ReadDword("Number"), std::optional<DWORD>(0x12345678));
  EXPECT_EQ(host.ReadString("Text"), std::optional<std::string>("C:\\list.txt"));
  EXPECT_EQ(host.ReadValue("Text")->data.size(), 12u);  // with its NUL
  EXPECT_FALSE(host.ReadString("Number").has_value());
  EXPECT_EQ(host.ReadDword("Elsewhere", "Other"), std::optional<DWORD>(1));
  EXPECT_FALSE(host.ReadDword("Elsewhere").has_value());

  std::vector<std::string> names = host.ValueNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Big", "Multi", "NoNul", "Number", "Odd",
                                             "ShortDword", "Text"}));

  EXPECT_TRUE(host.DeleteRootKey());
  EXPECT_TRUE(host.failures.empty());
}

TEST(HostRegistry, DeleteRootKeyRemovesTheTreeAndEmptyParentsOnly) {
  const std::string sibling = FarHost::TestRootKey("RegSibling");
  {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sibling.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
  }
  FarHost::Options o = ServiceOptions("RegTree");
  const std::string parent = o.rootKey.substr(0, o.rootKey.find_last_of('\\'));
  {
    FarHost host(o);
    ASSERT_TRUE(host.WriteDword("A", 1));
    ASSERT_TRUE(host.WriteDword("B", 2, "Quenby\\Deep\\Deeper"));
    ASSERT_TRUE(host.WriteString("C", "x", ""));
    EXPECT_TRUE(host.KeyExists("Quenby\\Deep"));
    EXPECT_TRUE(host.DeleteRootKey());
    EXPECT_FALSE(host.KeyExists(""));
    EXPECT_FALSE(host.KeyExists("Quenby"));
    EXPECT_TRUE(host.DeleteRootKey());  // nothing left to delete is fine
    EXPECT_TRUE(host.failures.empty());
  }
  HKEY k;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ, &k), ERROR_SUCCESS)
      << "the per-test parent key should go with its only child";
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, sibling.c_str(), 0, KEY_READ, &k), ERROR_SUCCESS)
      << "another test's key must survive";
  RegCloseKey(k);
  {
    FarHost::Options s = ServiceOptions("RegSibling");
    FarHost other(s);
    EXPECT_TRUE(other.DeleteRootKey());
  }
  {
    FarHost::Options bad = ServiceOptions("RegBad");
    bad.rootKey = "Software";
    FarHost host(bad);
    EXPECT_FALSE(host.DeleteRootKey());
    ExpectFailures(host, 1, "refusing");
    host.options.rootKey = "";
    EXPECT_FALSE(host.DeleteRootKey());
    ExpectFailures(host, 1, "refusing");
  }
}
