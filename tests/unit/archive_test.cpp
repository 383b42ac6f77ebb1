// The library's outer face: open modes, paths, last error, handle validation
// and settings.
#include "qarint.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

enum class Before { Missing, Archive, NoArchive };

Bytes Content(Before before) {
  switch (before) {
  case Before::Missing:
    return {};
  case Before::Archive:
    return kWorkedExample;
  case Before::NoArchive:
    return Bytes(64, 'x');
  }
  return {};
}

} // namespace

TEST(Open, ModeTable) {
  const struct {
    const char* what;
    Before before;
    uint32_t mode;
    bool opens;
    int32_t error;
    size_t sizeAfter; // 0: no file afterwards
  } cases[] = {
      {"read an existing archive", Before::Archive, 3, true, QAR_OK, 119},
      {"read-write an existing archive", Before::Archive, 0, true, QAR_OK, 119},
      {"3 on a missing file creates nothing", Before::Missing, 3, false, QAR_ERR_OPEN, 0},
      {"0 on a missing file creates it", Before::Missing, 0, true, QAR_OK, 42 + 5},
      {"2 on a missing file creates it too", Before::Missing, 2, true, QAR_OK, 42 + 5},
      {"reserved bit is refused", Before::Archive, 0x10003, false, QAR_ERR_MODE, 119},
      {"reserved bit touches no file", Before::Missing, 0x10000, false, QAR_ERR_MODE, 0},
      {"3 on a file without archive", Before::NoArchive, 3, false, QAR_ERR_NO_ARCHIVE, 64},
      {"0x10 creates anew over an archive", Before::Archive, 0x10, true, QAR_OK, 42 + 5},
      {"0x11 neither opens nor creates", Before::Archive, 0x11, false, QAR_ERR_OPEN, 119},
  };
  for (const auto& c : cases) {
    std::string path = Join(ScratchDir(), "A.QAR");
    if (c.before != Before::Missing)
      WriteFile(path, Content(c.before));
    QarSetLastError(99);
    QarArchive* archive = QarOpen(path.c_str(), c.mode, nullptr);
    EXPECT_EQ(archive != nullptr, c.opens) << c.what;
    EXPECT_EQ(QarGetLastError(), c.error) << c.what;
    if (archive) {
      EXPECT_EQ(QarClose(archive), 1) << c.what;
    }
    EXPECT_EQ(FileExists(path), c.sizeAfter != 0) << c.what;
    if (c.sizeAfter) {
      EXPECT_EQ(ReadFile(path).size(), c.sizeAfter) << c.what;
    }
    if (c.sizeAfter == Content(c.before).size()) { // untouched
      EXPECT_EQ(ReadFile(path), Content(c.before)) << c.what;
    }
  }
}

TEST(Open, ExtensionRule) {
  const struct {
    const char* given;
    const char* created;
  } cases[] = {
      {"PACK", "PACK.QAR"},
      {"SETUP.EXE", "SETUP.EXE"},
      {"PACK.", "PACK."},
      {"DIR.D/PACK", "DIR.D/PACK.QAR"},
  };
  for (const auto& c : cases) {
    std::string dir = ScratchDir();
    std::filesystem::create_directory(Join(dir, "DIR.D"));
    QarArchive* archive = QarOpen(Join(dir, c.given).c_str(), 0, nullptr);
    ASSERT_NE(archive, nullptr) << c.given;
    QarClose(archive);
    EXPECT_TRUE(FileExists(Join(dir, c.created))) << c.given;
  }
}

TEST(Open, PathMustFitIn255Characters) {
  std::string dir = ScratchDir() + "/";
  ASSERT_LT(dir.size(), 200u);
  std::string fits = dir + std::string(255 - 4 - dir.size(), 'p');  // + ".QAR" = 255
  std::string tooLong = fits + "p";

  QarArchive* archive = QarOpen(tooLong.c_str(), 0, nullptr);
  EXPECT_EQ(archive, nullptr);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_OPEN);
  EXPECT_FALSE(FileExists(tooLong + ".QAR"));

  archive = QarOpen(fits.c_str(), 0, nullptr);
  ASSERT_NE(archive, nullptr);
  QarClose(archive);
  EXPECT_TRUE(FileExists(fits + ".QAR"));
}

TEST(LastError, Rules) {
  QarSetLastError(5);
  EXPECT_EQ(QarSetLastError(6), 5);
  EXPECT_EQ(QarGetLastError(), 6);
  EXPECT_EQ(QarGetLastError(), 6); // reading changes nothing
  EXPECT_EQ(QarGetVersion(), 0x099B0150u);
  EXPECT_EQ(QarGetLastError(), 6); // neither does the version
  EXPECT_EQ(QarInit(), 1);
  EXPECT_EQ(QarGetLastError(), QAR_OK);
  QarSetLastError(6);
  EXPECT_EQ(QarExit(), 1);
  EXPECT_EQ(QarGetLastError(), QAR_OK);

  std::string path = Join(ScratchDir(), "A.QAR");
  WriteFile(path, kWorkedExample);
  QarSetLastError(6);
  QarArchive* archive = QarOpen(path.c_str(), 3, nullptr);
  EXPECT_EQ(QarGetLastError(), QAR_OK);
  QarClose(archive);
}

TEST(Handle, InvalidHandlesFailWithError12) {
  QarArchive unsigned_{}; // a record without the signature
  QarArchiveInfo info{};
  QarEntryHeader end{};
  const struct {
    const char* what;
    std::function<long(QarArchive*)> call;
  } calls[] = {
      {"QarClose", [](QarArchive* a) { return long(QarClose(a)); }},
      {"QarCloseArchive", [](QarArchive* a) { return long(QarCloseArchive(a, true)); }},
      {"QarSetPassword", [](QarArchive* a) { return long(QarSetPassword(a, "x")); }},
      {"QarSetOpenParam", [](QarArchive* a) { return long(QarSetOpenParam(a, 1)); }},
      {"QarSetCallbackData", [](QarArchive* a) { return long(QarSetCallbackData(a, 1)); }},
      {"QarGetCallbackData", [](QarArchive* a) { return long(QarGetCallbackData(a)); }},
      {"QarGetArchiveInfo", [&](QarArchive* a) { return long(QarGetArchiveInfo(a, &info)); }},
      {"QarNewArchiveHeader",
       [](QarArchive* a) { return long(QarNewArchiveHeader(a, "X.QAR", 0, 0, 1)); }},
      {"QarWriteEntryHeader", [&](QarArchive* a) { return long(QarWriteEntryHeader(&end, a)); }},
      {"QarUpdateHeader", [](QarArchive* a) { return long(QarUpdateHeader(a)); }},
  };
  for (QarArchive* handle : {static_cast<QarArchive*>(nullptr), &unsigned_}) {
    for (const auto& c : calls) {
      QarSetLastError(0);
      EXPECT_EQ(c.call(handle), 0) << c.what;
      EXPECT_EQ(QarGetLastError(), QAR_ERR_HANDLE) << c.what;
    }
  }
  // A null record to reuse asks for a new one; a record without the
  // signature is refused.
  EXPECT_EQ(QarOpenInto("X", 3, nullptr, 0, &unsigned_), nullptr);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_HANDLE);
}

TEST(Handle, Settings) {
  std::string path = Join(ScratchDir(), "A.QAR");
  WriteFile(path, kWorkedExample);
  QarArchive* archive = QarOpen(path.c_str(), 3, nullptr);
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(archive->openParam, 0xFFFFFFFFu);
  EXPECT_EQ(QarGetCallbackData(archive), 0u);
  EXPECT_TRUE(QarSetCallbackData(archive, 42));
  EXPECT_EQ(QarGetCallbackData(archive), 42u);
  EXPECT_TRUE(QarSetOpenParam(archive, 7));
  EXPECT_EQ(archive->openParam, 7u);
  EXPECT_EQ(archive->progressFn(QAR_CALLBACK_VOLUME, nullptr, 0), 1); // the default answer

  EXPECT_TRUE(QarSetPassword(archive, "secret"));
  EXPECT_TRUE(archive->stateFlags & QAR_STATE_PASSWORD);
  EXPECT_EQ(archive->keySeed, uint32_t(crc32(0x5A17C3E9, (const Bytef*)"secret", 6)));
  QarSetLastError(6);
  EXPECT_TRUE(QarSetPassword(archive, nullptr));
  EXPECT_EQ(QarGetLastError(), QAR_OK);
  EXPECT_FALSE(archive->stateFlags & QAR_STATE_PASSWORD);
  EXPECT_EQ(archive->keySeed, uint32_t(crc32(0x5A17C3E9, (const Bytef*)"secret", 6)));
  EXPECT_TRUE(QarSetPassword(archive, ""));
  EXPECT_TRUE(archive->stateFlags & QAR_STATE_PASSWORD);
  QarClose(archive);

  archive = QarOpenEx(path.c_str(), 3, nullptr, 1234);
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(archive->openParam, 1234u);
  QarClose(archive);
}

TEST(Handle, ReusedRecordKeepsSettingsAndSurvivesAFailedOpen) {
  std::string dir = ScratchDir();
  std::string first = Join(dir, "ONE.QAR"), second = Join(dir, "TWO.QAR");
  WriteFile(first, kWorkedExample);
  WriteFile(second, StoredArchiveBytes({{"B.TXT", {'b'}}, {"C.TXT", {'c'}}}));
  QarArchive* archive = QarOpen(first.c_str(), 3, nullptr);
  ASSERT_NE(archive, nullptr);
  QarSetCallbackData(archive, 5);

  ASSERT_TRUE(QarCloseArchive(archive, true));
  EXPECT_EQ(archive->stream, nullptr);
  EXPECT_EQ(archive->entries, nullptr);
  EXPECT_EQ(QarOpenInto(second.c_str(), 2, nullptr, 0, archive), archive);
  EXPECT_EQ(QarGetCallbackData(archive), 5u);
  ASSERT_NE(archive->entries, nullptr);
  EXPECT_STREQ(archive->entries->next->shortName, "C.TXT");

  EXPECT_EQ(QarOpenInto(Join(dir, "NONE.QAR").c_str(), 3, nullptr, 0, archive), nullptr);
  EXPECT_EQ(QarGetLastError(), QAR_ERR_OPEN);
  EXPECT_EQ(archive->signature, QAR_ARCHIVE_SIGNATURE);
  EXPECT_EQ(archive->stream, nullptr);
  EXPECT_EQ(archive->entries, nullptr);
  EXPECT_EQ(QarClose(archive), 1);
}
