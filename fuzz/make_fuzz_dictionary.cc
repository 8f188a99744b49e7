// Writes kivg_fuzz's dictionary to standard output: every keyword of the
// token list, alone and followed by a space, then the fragments file named on
// the command line (operators, literals and snippets), so that a new keyword
// reaches the fuzzer without anyone editing the dictionary.
#include <fstream>
#include <iostream>

#include "generator/frontend/token.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_fuzz_dictionary FRAGMENTS\n";
    return 2;
  }
  std::cout << "# Made by the build from the token list and " << argv[1]
            << "\n";
  for (const kivg::Keyword& keyword : kivg::kKeywords) {
    std::cout << '"' << keyword.spelling << "\"\n";
    std::cout << '"' << keyword.spelling << " \"\n";
  }
  std::ifstream fragments(argv[1]);
  std::cout << fragments.rdbuf();
  return fragments && std::cout ? 0 : 1;
}
