#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <filesystem>


#include "../another_users_file.h"
#include "app/settings_file.h"
#include "cad/text_file.h"

namespace qarn::app {
namespace {

TEST(SettingsFile, RewritingKeepsOtherSectionsAndKeys) {
  QTemporaryDir dir;
  std::string path = dir.filePath("qarn.ini").toStdString();
  cad::writeFileAtomically(path, "; mine\r\n[Form]\r\nTop=5\r\nWidth=99\r\n\r\n[Other]\r\nX=1\r\n");
  writeSettings(path, 10, 20, "GCAD.Application", "GstarCAD");
  auto f = cad::readTextFile(path);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->lines, (std::vector<std::string>{"; mine", "[Form]", "Top=20", "Width=99", "Left=10",
                                                "", "[Other]", "X=1", "[TargetCad]",
                                                "ProgID=GCAD.Application", "Name=GstarCAD"}));
  Settings s = readSettings(path, "x", "y");
  EXPECT_EQ(s.left, 10);
  EXPECT_EQ(s.top, 20);
  EXPECT_EQ(s.progId, "GCAD.Application");
}

TEST(SettingsFile, KeysAndSectionsIgnoreCaseAndMissingOnesGiveDefaults) {
  QTemporaryDir dir;
  std::string path = dir.filePath("q.ini").toStdString();
  cad::writeFileAtomically(path, "[form]\nleft = 7\n[targetcad]\nprogid=A.B\n");
  Settings s = readSettings(path, "Def.Prog", "Def");
  EXPECT_EQ(s.left, 7);
  EXPECT_FALSE(s.top);
  EXPECT_EQ(s.progId, "A.B");
  EXPECT_EQ(s.name, "Def");
  Settings none = readSettings(dir.filePath("missing.ini").toStdString(), "P", "N");
  EXPECT_FALSE(none.left);
  EXPECT_EQ(none.name, "N");
}

TEST(SettingsFile, APositionNoIntCanHoldCentresTheWindow) {
  // Found by the settings fuzzer (tests/fuzz/seeds/settings-huge-top.ini): a Top of 86 digits was
  // converted to int, which is undefined.
  QTemporaryDir dir;
  std::string path = dir.filePath("q.ini").toStdString();
  std::string bytes = "[Form]\rJ\nTop=" + std::string(83, '8') +
                      "0\r\n[Tar[ge\xff\xff"
                      "aptfA=";
  cad::writeFileAtomically(path, bytes);
  EXPECT_FALSE(readSettings(path, "", "").top);
  cad::writeFileAtomically(path, "[Form]\nLeft=2147483648\nTop=-2147483648\n");
  Settings s = readSettings(path, "", "");
  EXPECT_FALSE(s.left);
  EXPECT_EQ(s.top, -2147483648LL);
}

TEST(SettingsFile, ANameShiftJisCannotHoldMovesTheFileToUtf16) {
  QTemporaryDir dir;
  std::string path = dir.filePath("q.ini").toStdString();
  writeSettings(path, 1, 2, "X.Application", "캐드");
  auto f = cad::readTextFile(path);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->encoding, cad::TextEncoding::Utf16LeBom);
  EXPECT_EQ(readSettings(path, "", "").name, "캐드");
  writeSettings(path, 1, 2, "X.Application", "図面CAD");
  EXPECT_EQ(readSettings(path, "", "").name, "図面CAD");
}

// Settings that could not be read as they are stay as they are: the defaults are used for the run
// and nothing is written over the user's file at close.
TEST(SettingsFile, AFileThatCouldNotBeReadIsNotOverwritten) {
  QTemporaryDir dir;
  std::string path = dir.filePath("qarn.ini").toStdString();
  std::string bytes = "[Form]\r\nLeft=10\r\n[Mine]\r\nNote=caf\x80\r\n";  // undefined in 932
  cad::writeFileAtomically(path, bytes);
  EXPECT_EQ(readSettings(path, "P", "N").left, 10);
  EXPECT_THROW(writeSettings(path, 1, 2, "X", "Y"), cad::EncodingError);
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(), bytes);
  f.close();
  {
    qarn::testing::AnotherUsersFile locked(path);
    EXPECT_FALSE(IniFile::load(path).readable());
    EXPECT_THROW(writeSettings(path, 1, 2, "X", "Y"), std::runtime_error);
    EXPECT_THROW(writeLibraryFolders(path, {"A | C:\\"}), std::runtime_error);
  }
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(), bytes);
  // A value with a line break inside would make two lines of the file.
  std::string clean = dir.filePath("clean.ini").toStdString();
  EXPECT_THROW(writeSettings(clean, 1, 2, "A.Application\nEvil=1", "A"), cad::FieldError);
  writeSettings(clean, 1, 2, "A.Application\r\n", "A");
  EXPECT_EQ(readSettings(clean, "", "").progId, "A.Application");
}

// A header with a comment after it is the section itself: its keys are read and rewritten in
// place, never added again under a second header.
TEST(SettingsFile, ASectionHeaderFollowedByACommentIsTheSection) {
  QTemporaryDir dir;
  std::string path = dir.filePath("q.ini").toStdString();
  cad::writeFileAtomically(path, "[Form] ; where the window was\r\nLeft=7\r\n"
                                 "[TargetCad]\t# mine\r\nName=A\r\n");
  Settings s = readSettings(path, "P", "N");
  EXPECT_EQ(s.left, 7);
  EXPECT_EQ(s.name, "A");
  writeSettings(path, 1, 2, "X.Application", "B");
  EXPECT_EQ(cad::readTextFile(path)->lines,
            (std::vector<std::string>{"[Form] ; where the window was", "Left=1", "Top=2",
                                      "[TargetCad]\t# mine", "Name=B", "ProgID=X.Application"}));
}

TEST(Caption, RuleAndListLookUp) {
  EXPECT_EQ(captionFor("BricsCAD"), "QARN Ver.1.50 [ BricsCAD ]");
  std::vector<std::string> lines{"no tab here", "AutoCAD 2024\tAutoCAD.Application.24",
                                 "AutoCAD\tAutoCAD.Application", "Name\twith\tAutoCAD.Application"};
  EXPECT_EQ(cadNameFromList(lines, "AutoCAD.Application"), "AutoCAD 2024");
  EXPECT_EQ(cadNameFromList(lines, "AutoCAD.Application.2"), "AutoCAD 2024");
  EXPECT_EQ(cadNameFromList(lines, "with"), "Name");
  EXPECT_FALSE(cadNameFromList(lines, "ZWCAD.Application"));
}

TEST(SettingsFile, TheSimulatedCadsDimscaleAndRecentFilesGoBackAndForth) {
  QTemporaryDir dir;
  std::string path = dir.filePath("q.ini").toStdString();
  EXPECT_EQ(readSimCadSettings(path).dimscale, 10);
  writeSimCadDimscale(path, 2.5);
  EXPECT_EQ(readSimCadSettings(path).dimscale, 2.5);
  for (const char* bad : {"[SimCad]\nDIMSCALE=-3\n", "[SimCad]\nDIMSCALE=abc\n"}) {
    cad::writeFileAtomically(path, bad);
    EXPECT_EQ(readSimCadSettings(path).dimscale, 10) << bad;
  }
  writeRecentFiles(path, {"/a/盤.dxf", "/b.dxf"});
  EXPECT_EQ(readSimCadSettings(path).recentFiles, (std::vector<std::string>{"/a/盤.dxf", "/b.dxf"}));
  writeRecentFiles(path, {"/c.dxf"});
  EXPECT_EQ(readSimCadSettings(path).recentFiles, std::vector<std::string>{"/c.dxf"});
}

}  // namespace
}  // namespace qarn::app
