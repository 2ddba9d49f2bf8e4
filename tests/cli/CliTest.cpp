// The command line as a user runs it.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs, const std::string& aInput = {}) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs, aInput);
}

}  // namespace

TEST(Cli, HelpVersionAndUnknownCommands) {
  auto help = Moxnfe({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Uso: moxnfe <comando>"), std::string::npos);

  auto none = Moxnfe({});
  EXPECT_EQ(none.status, 2);

  auto version = Moxnfe({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("moxnfe ", 0), 0u);

  auto unknown = Moxnfe({"nao-existe"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("comando desconhecido: nao-existe"), std::string::npos);
}
