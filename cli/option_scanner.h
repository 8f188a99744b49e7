// Reads the options at the front of the command lines of kivg, kivs and
// kivinfo, as all three read them: an option is an argument that starts with
// an option prefix, "-" or "/", and has exactly one of the program's letters
// after it; the prefix written twice ("--" or "//", never "-/" or "/-") ends
// the options and is consumed; the first argument without a prefix (an empty
// one too) ends them and stays. A letter that takes a value takes the next
// argument, whatever it holds. What an option does, and what a program says
// about a bad one, is the program's.
#pragma once

namespace cli {

bool IsOptionPrefix(char c);

// The option letters of one program.
struct OptionLetters {
  const char* all;        // every letter the program knows
  const char* withValue;  // those of them that take the next argument
};

struct ScannedOption {
  enum class Kind {
    kLetter,        // a known letter, with its value if it takes one
    kInvalid,       // not exactly one known letter after the prefix
    kMissingValue,  // a letter that takes a value stood last
  };
  Kind kind = Kind::kInvalid;
  const char* argument = nullptr;  // the whole argument, prefix included
  char letter = '\0';              // kLetter and kMissingValue
  const char* value = nullptr;     // kLetter with a letter that takes one
};

class OptionScanner {
 public:
  // Reads args[first] onwards; count is the number of arguments in args.
  OptionScanner(const OptionLetters& letters, const char* const* args,
                int count, int first);

  // Reads the next option into option; false when the options have ended.
  bool Next(ScannedOption* option);

  // The index of the argument after everything read so far: after the
  // options have ended, the first argument that is not one of them. A
  // value option standing last counts its missing value, so the index then
  // passes count by one.
  int next() const { return next_; }

 private:
  const OptionLetters& letters_;
  const char* const* args_;
  int count_;
  int next_;
};

}  // namespace cli
