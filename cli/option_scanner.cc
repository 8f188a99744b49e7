#include "cli/option_scanner.h"

#include <cstring>

namespace cli {

namespace {

bool Holds(const char* letters, char letter) {
  return letter != '\0' && std::strchr(letters, letter) != nullptr;
}

}  // namespace

bool IsOptionPrefix(char c) { return c == '-' || c == '/'; }

OptionScanner::OptionScanner(const OptionLetters& letters,
                             const char* const* args, int count, int first)
    : letters_(letters), args_(args), count_(count), next_(first) {}

bool OptionScanner::Next(ScannedOption* option) {
  if (next_ >= count_) return false;
  const char* argument = args_[next_];
  if (!IsOptionPrefix(argument[0])) return false;
  ++next_;
  if (argument[1] == argument[0] && argument[2] == '\0') return false;
  *option = ScannedOption();
  option->argument = argument;
  const bool oneLetter = argument[1] != '\0' && argument[2] == '\0';
  const char letter = oneLetter ? argument[1] : '\0';
  if (!Holds(letters_.all, letter)) return true;  // kInvalid
  option->letter = letter;
  option->kind = ScannedOption::Kind::kLetter;
  if (Holds(letters_.withValue, letter)) {
    if (next_ < count_)
      option->value = args_[next_];
    else
      option->kind = ScannedOption::Kind::kMissingValue;
    ++next_;
  }
  return true;
}

}  // namespace cli
