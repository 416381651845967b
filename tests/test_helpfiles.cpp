// The plugin's help files, read the way FAR 1.x reads them: "@Name" lines start topics,
// "~text~@Topic@" is a link, "~~", "##" and "@@" stand for the characters themselves. Every
// topic the plugin names in its code must exist in both languages, every link must lead to a
// topic of the same file, and every topic must lead back to Contents.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string S) {
  for (char& C : S) C = static_cast<char>(tolower(static_cast<unsigned char>(C)));
  return S;
}

struct Topic {
  std::string Name;
  std::vector<std::string> Links;  // targets in the plugin's own file (FAR's ":Topic" left out)
};

struct HelpFile {
  std::string Language;        // the ".Language=" name
  std::vector<Topic> Topics;   // in file order
  std::vector<std::string> Problems;
  size_t LongestLine = 0;

  const Topic* Find(const std::string& Name) const {
    for (const Topic& T : Topics)
      if (Lower(T.Name) == Lower(Name)) return &T;  // FAR matches topic names ignoring case
    return nullptr;
  }
  std::set<std::string> Names() const {
    std::set<std::string> S;
    for (const Topic& T : Topics) S.insert(Lower(T.Name));
    return S;
  }
};

// Scans the links of one text line; markup mistakes go to Problems.
void ScanLine(const std::string& Line, int LineNo, Topic& T, std::vector<std::string>& Problems) {
  auto Problem = [&](const std::string& What) {
    Problems.push_back("line " + std::to_string(LineNo) + ": " + What + ": " + Line);
  };
  for (size_t I = 0; I < Line.size(); ++I) {
    char C = Line[I];
    if ((C == '~' || C == '@') && I + 1 < Line.size() && Line[I + 1] == C) {
      ++I;  // "~~" or "@@": the character itself
    } else if (C == '@') {
      Problem("a single '@' outside a link");
    } else if (C == '~') {
      size_t TextEnd = Line.find('~', I + 1);
      if (TextEnd == std::string::npos || TextEnd + 1 >= Line.size() || Line[TextEnd + 1] != '@') {
        Problem("'~' that starts no link");
        return;
      }
      size_t TopicEnd = Line.find('@', TextEnd + 2);
      if (TopicEnd == std::string::npos) {
        Problem("link without its closing '@'");
        return;
      }
      std::string Target = Line.substr(TextEnd + 2, TopicEnd - TextEnd - 2);
      if (Target.empty()) Problem("link to an empty topic name");
      else if (Target[0] != ':') T.Links.push_back(Target);
      I = TopicEnd;
    }
  }
}

HelpFile ParseHelp(const std::string& Bytes) {
  HelpFile F;
  std::istringstream In(Bytes);
  std::string Line;
  int LineNo = 0;
  while (std::getline(In, Line)) {
    ++LineNo;
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    F.LongestLine = std::max(F.LongestLine, Line.size());
    if (LineNo == 1) {
      if (Line.rfind(".Language=", 0) != 0) F.Problems.push_back("line 1 is no .Language= line");
      else F.Language = Line.substr(10, Line.find(',') == std::string::npos
                                            ? std::string::npos : Line.find(',') - 10);
      continue;
    }
    bool TopicLine = Line.size() > 1 && Line[0] == '@' && Line[1] != '@' && Line[1] != '+' &&
                     Line[1] != '-';
    if (TopicLine) {
      std::string Name = Line.substr(1);
      if (Name.find_first_of(" \t@~#") != std::string::npos)
        F.Problems.push_back("topic name with a blank or markup: " + Name);
      if (F.Find(Name)) F.Problems.push_back("topic defined twice: " + Name);
      F.Topics.push_back(Topic{Name, {}});
    } else if (F.Topics.empty()) {
      if (!Line.empty() && Line[0] != '.') F.Problems.push_back("text before the first topic");
    } else if (Line != "@+" && Line != "@-") {
      ScanLine(Line, LineNo, F.Topics.back(), F.Problems);
    }
  }
  return F;
}

std::string ReadAll(const std::string& Path) {
  std::ifstream File(Path, std::ios::binary);
  std::ostringstream S;
  S << File.rdbuf();
  return S.str();
}

// What is wrong with a help file against the topics the plugin asks for.
std::vector<std::string> Faults(const HelpFile& F, const std::set<std::string>& Required) {
  std::vector<std::string> Out = F.Problems;
  for (const std::string& Name : Required)
    if (!F.Find(Name)) Out.push_back("missing topic " + Name);
  for (const Topic& T : F.Topics) {
    bool BackToContents = false;
    for (const std::string& L : T.Links) {
      if (!F.Find(L)) Out.push_back("link from " + T.Name + " to missing topic " + L);
      if (Lower(L) == "contents") BackToContents = true;
    }
    if (!BackToContents && Lower(T.Name) != "contents")
      Out.push_back("topic " + T.Name + " has no link back to Contents");
  }
  return Out;
}

// The arguments of the call whose opening parenthesis is at Open, split at top-level commas.
std::vector<std::string> CallArguments(const std::string& Text, size_t Open) {
  std::vector<std::string> Args(1);
  int Depth = 0;
  for (size_t I = Open; I < Text.size(); ++I) {
    char C = Text[I];
    if (C == '"') {  // a literal is copied whole, commas and brackets included
      size_t End = I + 1;
      while (End < Text.size() && Text[End] != '"') End += Text[End] == '\\' ? 2 : 1;
      if (End >= Text.size()) break;
      Args.back() += Text.substr(I, End - I + 1);
      I = End;
      continue;
    }
    if (C == '(' || C == '{') ++Depth;
    if (C == ')' || C == '}') --Depth;
    if (Depth == 0) break;
    if (C == ',' && Depth == 1) Args.emplace_back();
    else if (Depth > 1 || (C != '(' && C != ',')) Args.back() += C;
  }
  return Args;
}

// The help topics a piece of code hands to FAR: the topic argument of every FarMessage call and
// of the Dialog, Message and Menu services, as a literal or as a constant defined by one.
std::set<std::string> TopicsNamedIn(const std::string& Code) {
  const std::pair<std::regex, size_t> Calls[] = {  // call, index of its help-topic argument
      {std::regex(R"(\bFarMessage\s*\()"), 1}, {std::regex(R"(\.Dialog\s*\()"), 5},
      {std::regex(R"(\.Message\s*\()"), 2}, {std::regex(R"(\.Menu\s*\()"), 7}};
  const std::regex Literal(R"re(^\s*(?:const_cast<char\s*\*>\s*\()?\s*"([^"]*)"\s*\)?\s*$)re");
  const std::regex Name(R"re(^\s*(?:const_cast<char\s*\*>\s*\()?\s*([A-Za-z_]\w*)\s*\)?\s*$)re");
  std::set<std::string> Topics;
  for (const auto& Call : Calls) {
    for (std::sregex_iterator It(Code.begin(), Code.end(), Call.first), End; It != End; ++It) {
      std::vector<std::string> Args = CallArguments(Code, It->position() + It->length() - 1);
      if (Args.size() <= Call.second) continue;
      std::smatch M;
      if (std::regex_match(Args[Call.second], M, Literal)) {
        Topics.insert(M[1]);
      } else if (std::regex_match(Args[Call.second], M, Name)) {
        std::smatch D;  // a constant such as: const char HelpAuthor[] = "Author";
        std::regex Definition("\\b" + M[1].str() + R"re(\s*(?:\[\s*\])?\s*=\s*"([^"]*)")re");
        if (std::regex_search(Code, D, Definition)) Topics.insert(D[1]);
      }
    }
  }
  return Topics;
}

std::set<std::string> TopicsNamedInCode() {
  const std::string Dir = std::string(QUENBY_SOURCE_DIR) + "\\plugin\\";
  std::string Code;
  for (const char* Mask : {"*.cpp", "*.h"}) {
    WIN32_FIND_DATAA Data;
    HANDLE Find = FindFirstFileA((Dir + Mask).c_str(), &Data);
    if (Find == INVALID_HANDLE_VALUE) continue;
    do Code += ReadAll(Dir + Data.cFileName) + "\n";
    while (FindNextFileA(Find, &Data));
    FindClose(Find);
  }
  return TopicsNamedIn(Code);
}

const char* const HelpFiles[] = {"QuenbyEng.hlf", "QuenbyRus.hlf"};

HelpFile Load(const char* Name) {
  std::string Bytes = ReadAll(std::string(QUENBY_PLUGIN_DIR) + "\\" + Name);
  EXPECT_FALSE(Bytes.empty()) << Name << " is missing beside the DLL";
  return ParseHelp(Bytes);
}

}  // namespace

TEST(HelpChecker, FindsTheFaultsItIsMeantToFind) {
  const std::string Good =
      ".Language=English,English\r\n@Contents\r\n$ #Title#\r\n See ~the options~@Cfg@ and "
      "~FAR~@:Help@; mail@@example, tilde ~~.\r\n@-\r\n@Cfg\r\n back to ~Contents~@contents@\r\n";
  HelpFile F = ParseHelp(Good);
  EXPECT_EQ(F.Language, "English");
  EXPECT_EQ(Faults(F, {"Contents", "Cfg"}), std::vector<std::string>());
  ASSERT_EQ(F.Topics.size(), 2u);
  EXPECT_EQ(F.Topics[0].Links, std::vector<std::string>{"Cfg"});

  EXPECT_EQ(Faults(F, {"Contents", "Cfg", "Author"}).size(), 1u) << "a required topic missing";
  HelpFile Broken = ParseHelp(
      ".Language=English,English\r\n@Contents\r\n ~a~@Nowhere@ ~b~@Cfg\r\n@Cfg\r\n no link\r\n"
      " mail@example\r\n");
  std::vector<std::string> Found = Faults(Broken, {"Contents"});
  auto Has = [&](const char* Text) {
    return std::any_of(Found.begin(), Found.end(),
                       [&](const std::string& S) { return S.find(Text) != std::string::npos; });
  };
  EXPECT_TRUE(Has("missing topic Nowhere"));
  EXPECT_TRUE(Has("without its closing"));
  EXPECT_TRUE(Has("Cfg has no link back"));
  EXPECT_TRUE(Has("single '@'"));
  Found = Faults(ParseHelp(".Language=English,English\r\n@A\r\n~C~@Contents@\r\n"
                           "@a\r\n~C~@Contents@\r\n"), {});
  EXPECT_TRUE(Has("defined twice: a")) << "topic names ignore case";
  EXPECT_TRUE(Has("from A to missing topic Contents"));

  EXPECT_EQ(TopicsNamedIn(
                "int FarMessage(int Flags, const char* HelpTopic, int N);\n"
                "const char HelpAbout[] = \"About\";\n"
                "FarMessage(FMSG_WARNING, \"Warn\", {MError, \"a, (b\"}, 1);\n"
                "FarMessage(0, HelpAbout, {Title(x, y)}, 1);\n"
                "Info.Dialog(Info.ModuleNumber, -1, -1, 76, 17,\n"
                "            const_cast<char*>(\"Cfg\"), I, 19);\n"
                "Info.Message(Info.ModuleNumber, Flags, const_cast<char*>(HelpTopic), T, 2, 1);\n"),
            (std::set<std::string>{"About", "Cfg", "Warn"}));
}

TEST(HelpFiles, EveryTopicTheCodeNamesExistsAndEveryLinkLeadsSomewhere) {
  std::set<std::string> Named = TopicsNamedInCode();
  for (const char* Topic : {"QuenbyCfg", "VFSNotExist", "Exception", "Author", "VerInfNotExist"})
    EXPECT_EQ(Named.count(Topic), 1u) << Topic << " was not found in the plugin's code";
  std::set<std::string> Required = Named;
  Required.insert("Contents");  // F1 on the panel and FAR's plugin list open it
  for (const char* Name : HelpFiles) {
    HelpFile F = Load(Name);
    EXPECT_EQ(Faults(F, Required), std::vector<std::string>()) << Name;
    EXPECT_LE(F.LongestLine, 300u) << Name << ": FAR reads help lines of 300 bytes at most";
  }
}

TEST(HelpFiles, BothLanguagesHoldTheSameTopicsInTheirCodePages) {
  HelpFile Eng = Load(HelpFiles[0]), Rus = Load(HelpFiles[1]);
  EXPECT_EQ(Eng.Language, "English");
  EXPECT_EQ(Rus.Language, "Russian");
  EXPECT_EQ(Eng.Names(), Rus.Names());
  EXPECT_GE(Eng.Topics.size(), 6u);

  std::string EngBytes = ReadAll(std::string(QUENBY_PLUGIN_DIR) + "\\" + HelpFiles[0]);
  EXPECT_TRUE(std::all_of(EngBytes.begin(), EngBytes.end(),
                          [](char C) { return static_cast<unsigned char>(C) < 0x80; }))
      << "the English help is plain ASCII";
  // CP866 puts the Cyrillic letters at 0x80..0xAF and 0xE0..0xF1; 0xB0..0xDF are box-drawing
  // characters, which a help text saved as CP1251 or UTF-8 would be full of.
  std::string RusBytes = ReadAll(std::string(QUENBY_PLUGIN_DIR) + "\\" + HelpFiles[1]);
  size_t Cyrillic = 0, Foreign = 0;
  for (char Ch : RusBytes) {
    unsigned char C = static_cast<unsigned char>(Ch);
    if ((C >= 0x80 && C <= 0xAF) || (C >= 0xE0 && C <= 0xF1)) ++Cyrillic;
    else if (C >= 0xB0) ++Foreign;
  }
  EXPECT_GT(Cyrillic, 500u) << "the Russian help is written in Russian";
  EXPECT_EQ(Foreign, 0u) << "the Russian help is saved in CP866";
}
