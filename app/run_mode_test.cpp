#include "app/run_mode.h"

#include <gtest/gtest.h>

#include "app/module_file_name.h"

TEST(RunMode, DecidedByTheLowerCasedFileName) {
  EXPECT_EQ(decide_run_mode(krval("C:\\dist\\setup.exe")), run_mode::setup);
  EXPECT_EQ(decide_run_mode(krval("C:\\dist\\SETUP.EXE")), run_mode::setup);
  EXPECT_EQ(decide_run_mode(krval("C:\\Program Files\\KRYN\\WOP1\\KWop.Exe")), run_mode::normal);
  EXPECT_EQ(decide_run_mode(krval("kwop.exe")), run_mode::normal);   // no backslash: the whole path
  EXPECT_EQ(decide_run_mode(krval("C:\\x\\kwop2.exe")), run_mode::none);
  EXPECT_EQ(decide_run_mode(krval("C:\\x\\kwop.exe.bak")), run_mode::none);
  EXPECT_EQ(decide_run_mode(krval("C:\\x\\my setup.exe")), run_mode::none);
  EXPECT_EQ(decide_run_mode(krval("C:\\setup.exe\\other.exe")), run_mode::none);
  EXPECT_EQ(decide_run_mode(krval("")), run_mode::none);
  // A forward slash is not a folder separator for this decision.
  EXPECT_EQ(decide_run_mode(krval("C:/dist/setup.exe")), run_mode::none);
}

TEST(ModuleFileName, NamesThisTestProgram) {
  krval path;
  module_file_name(path);
  EXPECT_NE(path.str().find("startup_test"), std::string::npos) << path.str();
  krval folder;
  module_folder(folder);
  EXPECT_EQ(path.str().compare(0, folder.str().size(), folder.str()), 0);
  EXPECT_LT(folder.text_length(), path.text_length());
}
