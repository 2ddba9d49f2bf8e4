// moxnfe: the command line of the NF-e component.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliCommand.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  moxcli::CliIo io{std::cout, std::cerr, std::cin};
  return moxcli::RunCli(args, io);
}
