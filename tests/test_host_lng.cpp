// Tests of FAR's .lng reading rules: escapes, which lines are messages, which file is chosen.
#include "test_host.h"

#include <string>
#include <vector>

#include "LangFile.h"

TEST(LngDecode, Escapes) {
  EXPECT_EQ(DecodeLngMessage("\"a\\\\b\\\"c\\nd\\re\\bf\\tg\""), "a\\b\"c\nd\re\bf\tg");
}

TEST(LngDecode, UnknownBackslashStaysAsWritten) {
  EXPECT_EQ(DecodeLngMessage("\"C:\\dir\\x\\%s\""), "C:\\dir\\x\\%s");
  // FAR drops the trailing quote before decoding, so a final \" leaves a lone backslash.
  EXPECT_EQ(DecodeLngMessage("\"end\\\""), "end\\");
}

TEST(LngDecode, Quotes) {
  EXPECT_EQ(DecodeLngMessage("\"say \"\"hi\"\"\""), "say \"hi\"");
  EXPECT_EQ(DecodeLngMessage("\"Item \"%s\" is not a folder\""), "Item \"%s\" is not a folder");
  EXPECT_EQ(DecodeLngMessage("\"no closing quote"), "no closing quote");
  EXPECT_EQ(DecodeLngMessage("\""), "");
  EXPECT_EQ(DecodeLngMessage("\"\""), "");
  EXPECT_EQ(DecodeLngMessage("\"  padded  \""), "  padded  ");
}

TEST(LngParse, OnlyLinesStartingWithAQuoteAreMessages) {
  const std::string text =
      ".Language=English,English\r\n"
      "// 0: first\r\n"
      "\"zero\"\r\n"
      "\r\n"
      "  \"indented lines are not messages in FAR 1.63\"\r\n"
      "\t\"nor tab-indented ones\"\n"
      "x\"text\"\n"
      "// \"commented\"\n"
      "\"one\"   \t \r\n"
      "\"two  \"\n"
      "\"three\"";  // no newline at the end
  LangFile f = ParseLngText(text);
  ASSERT_EQ(f.messages.size(), 4u);
  EXPECT_EQ(f.messages[0], "zero");
  EXPECT_EQ(f.messages[1], "one");
  EXPECT_EQ(f.messages[2], "two  ");
  EXPECT_EQ(f.messages[3], "three");
  EXPECT_TRUE(f.problems.empty());
}

TEST(LngParse, LanguageLineAnywhereCaseInsensitiveFirstWins) {
  LangFile f = ParseLngText(
      "\"msg\"\n"
      ".LANGUAGE=Russian,Russian (CP866)  \n"
      ".Language=English,English\n");
  EXPECT_TRUE(f.hasLanguageLine);
  EXPECT_EQ(f.language, "Russian");
  EXPECT_EQ(f.description, "Russian (CP866)");
  ASSERT_EQ(f.messages.size(), 1u);

  LangFile none = ParseLngText("\"a\"\n");
  EXPECT_FALSE(none.hasLanguageLine);
  EXPECT_EQ(none.language, "");

  LangFile noComma = ParseLngText(".Language=German\n");
  EXPECT_EQ(noComma.language, "German");
  EXPECT_EQ(noComma.description, "");

  // A UTF-8 byte order mark hides the line from FAR, which compares raw bytes.
  LangFile bom = ParseLngText("\xEF\xBB\xBF.Language=Russian,Russian\n\"a\"\n");
  EXPECT_FALSE(bom.hasLanguageLine);
}

TEST(LngParse, EmbeddedNulEndsTheLine) {
  LangFile f = ParseLngText(std::string("\"ab\0cd\"\n\"next\"\n", 15));
  ASSERT_EQ(f.messages.size(), 2u);
  EXPECT_EQ(f.messages[0], "ab");
  EXPECT_EQ(f.messages[1], "next");
}

TEST(LngParse, LongLinesAreReadInPiecesAndReported) {
  // FAR's fgets reads 1023 bytes at a time: the rest of a long line is a line of its own.
  std::string longLine = "\"" + std::string(1022, 'a') + "\"second\"";
  LangFile f = ParseLngText(longLine + "\n\"third\"\n");
  ASSERT_EQ(f.messages.size(), 3u);
  EXPECT_EQ(f.messages[0], std::string(1022, 'a'));
  EXPECT_EQ(f.messages[1], "second");
  EXPECT_EQ(f.messages[2], "third");
  ASSERT_EQ(f.problems.size(), 1u);
  EXPECT_NE(f.problems[0].find("line 1"), std::string::npos) << f.problems[0];

  std::string tail = "\"" + std::string(1200, 'b') + "\"";
  LangFile g = ParseLngText(tail + "\n");
  ASSERT_EQ(g.messages.size(), 1u);  // the second piece starts with 'b': not a message
  EXPECT_EQ(g.messages[0], std::string(1022, 'b'));
  EXPECT_EQ(g.problems.size(), 1u);

  LangFile ok = ParseLngText("\"" + std::string(998, 'c') + "\"\n");
  EXPECT_TRUE(ok.problems.empty());
  ASSERT_EQ(ok.messages.size(), 1u);
  EXPECT_EQ(ok.messages[0].size(), 998u);
}

TEST(LngChoice, ByLanguageNameThenEnglishThenLast) {
  TempFolder dir;
  std::string eng = dir.Write("PlugEng.lng", ".Language=English,English\n\"Hello\"\n");
  std::string rus = dir.Write("PlugRus.lng", ".Language=Russian,Russian\n\"\x8f\xe0\xa8\xa2\xa5\xe2\"\n");
  // A language file in a subfolder is not the plugin's.
  dir.Write("sub\\PlugGer.lng", ".Language=German,Deutsch\n\"Hallo\"\n");
  std::string error;
  LangFile f;

  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "English", f, error)) << error;
  EXPECT_EQ(f.path, eng);
  ASSERT_EQ(f.messages.size(), 1u);
  EXPECT_EQ(f.messages[0], "Hello");

  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "russian", f, error)) << error;
  EXPECT_EQ(f.path, rus);
  EXPECT_EQ(f.messages[0], "\x8f\xe0\xa8\xa2\xa5\xe2");  // CP866 bytes as they are

  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "German", f, error)) << error;
  EXPECT_EQ(f.path, eng);
}

TEST(LngChoice, WithoutEnglishTheLastFileEnumerated) {
  TempFolder dir;
  dir.Write("A.lng", ".Language=Russian,Russian\n\"r\"\n");
  dir.Write("B.lng", ".Language=German,Deutsch\n\"g\"\n");
  dir.Write("C.lng", "\"no language line\"\n");
  std::string last;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir.path() + "\\*.lng").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do last = dir.path() + "\\" + fd.cFileName;
  while (FindNextFileA(h, &fd));
  FindClose(h);

  LangFile f;
  std::string error;
  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "French", f, error)) << error;
  EXPECT_EQ(f.path, last);
  ASSERT_TRUE(LoadLngForLanguage(dir.path(), "GERMAN", f, error)) << error;
  EXPECT_EQ(f.messages, std::vector<std::string>{"g"});
}

TEST(LngChoice, EmptyFolderIsAnError) {
  TempFolder dir;
  LangFile f;
  std::string error;
  EXPECT_FALSE(LoadLngForLanguage(dir.path(), "English", f, error));
  EXPECT_FALSE(error.empty());
}
