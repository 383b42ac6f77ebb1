// Finding entries by wildcard name, and listing them.
#include "qarint.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <vector>

TEST(MatchName, Table) {
  const struct {
    const char* name;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"README.TXT", "README.TXT", true},
      {"readme.txt", "README.TXT", true},
      {"C:\\WORK\\README.TXT", "README.TXT", true},
      {"README.TXT", "*.TXT", true},
      {"readme.txt", "*.TXT", true},
      {"C:\\WORK\\README.TXT", "*.TXT", true},
      {"C:\\WORK\\DOCS\\README.TXT", "DOCS\\README.TXT", false},
      {"C:\\WORK\\DOCS\\README.TXT", "*\\DOCS\\README.TXT", true},
      {"abc", "A?C", true},
      {"ac", "A?C", false},
      {"anything at all", "*", true},
      {"", "*", true},
      {"README.TXT", "README.TX", false},
      {"README.TX", "README.TXT", false},
      {"\xC4RGER.TXT", "\xE4RGER.TXT", false}, // only ASCII letters fold
      {"ab", "A*B", true},
      {"ab", "A**B", false}, // the character after '*' is plain: it wants an '*' or the end
      {"a*b", "A**B", true},
      {"abc", "**", true},
      {"SETUP.EXE", "S*P.EXE", true},
      {"SETUPLNG.DLL", "SETUP*.DLL", true},
      {"a\\b", "?", true}, // a pattern without backslash meets the last component
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab",
       "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*c", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QarMatchName(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(MatchName, LongStarryInputsStayCheapAndLongerOnesMatchNothing) {
  // Work grows with name × pattern length, never exponentially.
  const std::string stars(2000, '*');
  EXPECT_FALSE(QarMatchName((stars + "x").c_str(), (stars + "y").c_str()));
  EXPECT_TRUE(QarMatchName((stars + "y").c_str(), (stars + "y").c_str()));
  const std::string as(4000, 'a');
  EXPECT_FALSE(QarMatchName(as.c_str(), "*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(QarMatchName(as.c_str(), "*a*a*a*a*a*a*a*a*a*"));
  EXPECT_FALSE(QarMatchName(std::string(4097, 'a').c_str(), "*"));
  EXPECT_FALSE(QarMatchName("a", std::string(4097, '*').c_str()));
}

TEST(FindEntry, ShortAndLongNames) {
  Piece a = StoredPiece("README~1.TXT", {'a'});
  a.longName = "Read me.txt";
  Piece b = StoredPiece("SUB\\DATA.BIN", {'b'}); // no long name
  Piece c = StoredPiece("DUP.TXT", {'c'});
  c.longName = "Other name.txt";
  Piece hidden = StoredPiece("HIDDEN.DAT", {'h'});
  hidden.flags = QAR_ENTRY_HIDDEN;
  std::string path = Join(ScratchDir(), "F.QAR");
  WriteFile(path, VolumeBytes({PieceBytes(a), PieceBytes(b), PieceBytes(c), PieceBytes(hidden)}));
  QarArchive* archive = QarOpen(path.c_str(), 3, nullptr);
  ASSERT_NE(archive, nullptr);

  const struct {
    const char* pattern;
    const char* found; // short name, or null
  } cases[] = {
      {"README~1.TXT", "README~1.TXT"},
      {"read me.TXT", "README~1.TXT"},
      {"DATA.BIN", "SUB\\DATA.BIN"},
      {"SUB\\DATA.BIN", "SUB\\DATA.BIN"},
      {"*.TXT", "README~1.TXT"}, // the first in archive order
      {"Other*", "DUP.TXT"},
      {"HIDDEN.DAT", "HIDDEN.DAT"},
      {"", nullptr}, // an empty long name matches nothing
      {"NONE", nullptr},
  };
  for (const auto& c : cases) {
    QarEntryHeader* entry = QarFindEntry(archive, c.pattern);
    EXPECT_EQ(QarEntryExists(archive, c.pattern), c.found != nullptr) << c.pattern;
    if (c.found) {
      ASSERT_NE(entry, nullptr) << c.pattern;
      EXPECT_STREQ(entry->shortName, c.found);
    } else {
      EXPECT_EQ(entry, nullptr) << c.pattern;
    }
  }
  QarClose(archive);
}

namespace {

// The user value is 32 bits wide, too narrow for a pointer on 64-bit hosts:
// listings are collected here.
struct Listing {
  std::vector<std::string> shortNames;
  std::vector<std::string> longNames;
  std::vector<uint32_t> users, thirds;
  size_t stopAt = 0; // return 0 for this call (1-based); 0: never
};
Listing listing;

int Collect(QarEntryInfo* info, uint32_t user, uint32_t third) {
  listing.shortNames.push_back(info->shortName);
  listing.longNames.push_back(info->longName);
  listing.users.push_back(user);
  listing.thirds.push_back(third);
  return listing.shortNames.size() == listing.stopAt ? 0 : 1;
}

QarArchive* OpenListingFixture(std::string* dir) {
  Piece hidden = StoredPiece("HIDDEN.DAT", {'h'});
  hidden.flags = QAR_ENTRY_HIDDEN;
  Piece longNamed = StoredPiece(std::string(300, 'S'), {'l'});
  longNamed.longName = std::string(511, 'L');
  *dir = ScratchDir();
  std::string path = Join(*dir, "L.QAR");
  WriteFile(path, VolumeBytes({PieceBytes(StoredPiece("A.TXT", {'a'})), PieceBytes(hidden),
                               PieceBytes(StoredPiece("B.BIN", {'b'})), PieceBytes(longNamed)}));
  return QarOpen(path.c_str(), 3, nullptr);
}

} // namespace

TEST(Enumerate, ListsMatchingEntriesButNotHiddenOnes) {
  std::string dir;
  QarArchive* archive = OpenListingFixture(&dir);
  ASSERT_NE(archive, nullptr);
  listing = {};
  EXPECT_EQ(QarEnumerate(archive, "*", Collect, 77), 1);
  EXPECT_EQ(QarGetLastError(), QAR_OK);
  ASSERT_EQ(listing.shortNames.size(), 3u);
  EXPECT_EQ(listing.shortNames[0], "A.TXT");
  EXPECT_EQ(listing.shortNames[1], "B.BIN");
  EXPECT_EQ(listing.users, (std::vector<uint32_t>{77, 77, 77}));
  EXPECT_EQ(listing.thirds, (std::vector<uint32_t>{0, 0, 0}));
  // Names beyond the record's 255 characters are cut; extraction by the whole
  // name still finds the entry.
  EXPECT_EQ(listing.shortNames[2], std::string(255, 'S'));
  EXPECT_EQ(listing.longNames[2], std::string(255, 'L'));
  QarStream* stream = QarStreamOpen(Join(dir, "LONG").c_str(), "w+b");
  EXPECT_EQ(QarExtract(archive, std::string(511, 'L').c_str(), nullptr, stream), 1);
  QarStreamClose(stream);

  listing = {};
  EXPECT_EQ(QarEnumerate(archive, "*.BIN", Collect, 0), 1);
  EXPECT_EQ(listing.shortNames, (std::vector<std::string>{"B.BIN"}));
  EXPECT_EQ(QarEnumerate(archive, "*.BIN", nullptr, 0), 1); // no callback: still counts
  QarClose(archive);
}

TEST(Enumerate, NothingListedOrStopped) {
  std::string dir;
  QarArchive* archive = OpenListingFixture(&dir);
  ASSERT_NE(archive, nullptr);
  listing = {};
  EXPECT_EQ(QarEnumerate(archive, "HIDDEN.DAT", Collect, 0), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_NOT_FOUND);
  EXPECT_EQ(QarEnumerate(archive, "NONE", Collect, 0), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_NOT_FOUND);
  EXPECT_TRUE(listing.shortNames.empty());

  listing = {};
  listing.stopAt = 2;
  EXPECT_EQ(QarEnumerate(archive, "*", Collect, 0), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_ABORTED);
  EXPECT_EQ(listing.shortNames.size(), 2u);

  EXPECT_EQ(QarEnumerate(nullptr, "*", Collect, 0), 0);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_HANDLE);
  QarClose(archive);
}
