// The tool's pure rules about names: the 8.3 short names create makes, and
// which stored names extract takes as paths below its folder.
#include "tool.h"

#include <gtest/gtest.h>

TEST(ShortNames, AreMadePerFolderAsWindowsMakesThem) {
  const struct {
    const char* what;
    std::vector<std::string> longNames, shortNames;
  } cases[] = {
      {"valid 8.3 names keep them, upper-cased",
       {"README.TXT", "readme", "Setup.exe", "a$b_(1).x~1"},
       {"README.TXT", "README", "SETUP.EXE", "A$B_(1).X~1"}},
      {"long names lose spaces and inner dots, keep six letters and three of the extension",
       {"Read me.txt", "A rather long file name.text", "my.archive.backup.tar"},
       {"README~1.TXT", "ARATHE~1.TEX", "MYARCH~1.TAR"}},
      {"characters 8.3 names cannot hold become '_'",
       {"a+b.txt", "x[1];y=2.c", "caf\xe9.txt"},
       {"A_B~1.TXT", "X_1__Y~1.C", "CAF_~1.TXT"}},
      {"leading dots are dropped", {".profile"}, {"PROFIL~1"}},
      {"collisions count up, and a real name is never taken",
       {"Program Files", "Program Data", "PROGRA~3", "Programs and more"},
       {"PROGRA~1", "PROGRA~2", "PROGRA~3", "PROGRA~4"}},
      {"past ~9 the name gives up a letter",
       {"long name 1", "long name 2", "long name 3", "long name 4", "long name 5", "long name 6",
        "long name 7", "long name 8", "long name 9", "long name 10"},
       {"LONGNA~1", "LONGNA~2", "LONGNA~3", "LONGNA~4", "LONGNA~5", "LONGNA~6", "LONGNA~7",
        "LONGNA~8", "LONGNA~9", "LONGN~10"}},
      {"each folder has its own numbers, and a folder keeps one short name",
       {"Program Files\\Read me.txt", "Program Files\\Read me too.txt", "Other Files\\Read me.txt",
        "program files\\x.txt"},
       {"PROGRA~1\\README~1.TXT", "PROGRA~1\\README~2.TXT", "OTHERF~1\\README~1.TXT",
        "PROGRA~1\\X.TXT"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShortNames(c.longNames), c.shortNames) << c.what;
}

TEST(StoredNames, StayBelowTheFolderOrAreRefused) {
  const struct {
    const char* name;
    std::vector<std::string> parts; // empty: refused
  } cases[] = {
      {"Read me.txt", {"Read me.txt"}},
      {"docs\\sub\\a.txt", {"docs", "sub", "a.txt"}},
      {"docs/sub\\a.txt", {"docs", "sub", "a.txt"}},
      {"a..b\\c.d.", {"a..b", "c.d."}},
      {"", {}},
      {"..\\x", {}},
      {"../x", {}},
      {"a\\..\\..\\x", {}},
      {"a/./x", {}},
      {"...\\x", {}},
      {"a\\. .\\x", {}},
      {"\\x", {}},
      {"/x", {}},
      {"\\\\server\\share\\x", {}},
      {"C:\\x", {}},
      {"C:x", {}},
      {"a\\x:stream", {}},
      {"a\\\\x", {}},
      {"a\\", {}},
      {"NUL", {}},
      {"a\\con.txt", {}},
      {"COM1.log", {}},
      {"lpt9", {}},
      {"CONSOLE.TXT", {"CONSOLE.TXT"}},
      {"COM10", {"COM10"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> parts;
    std::string why;
    EXPECT_EQ(SplitStoredName(c.name, &parts, &why), !c.parts.empty()) << c.name;
    if (c.parts.empty())
      EXPECT_FALSE(why.empty()) << c.name;
    else
      EXPECT_EQ(parts, c.parts) << c.name;
  }
}
