// sentrelle: the command-line tool.  All logic lives in the sentrelle_cli library.
#include "cli/CommandTable.h"

#include <iostream>

int main(int argc, char** argv) { return CCommandTable::Builtins().Dispatch(argc, argv, std::cout, std::cerr); }
