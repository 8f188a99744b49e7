// The identifiers that generated C code cannot give an application's C
// function or a parameter, or gives them only at a risk: keywords of C and
// C++, the names that the generated code and the headers it includes define,
// and the functions of the C standard library. Finalize checks every internal
// name and parameter name against them, so that the C that kivg writes
// compiles.
#pragma once

#include <string_view>

namespace kivg {

namespace c_identifiers {

// C99 and C11 keywords, with the _Pragma operator.
bool IsCKeyword(std::string_view name);
// Keywords of C++ up to C++20; the generated header is included from C++ too.
bool IsCxxKeyword(std::string_view name);
// Names that <stdint.h>, <stddef.h>, <stdbool.h> (C11 7.18 to 7.20) and the
// engine's kiv.h define, which the generated code includes.
bool IsDefinedByIncludedHeaders(std::string_view name);
// The parameters of the generated dispatch function.
bool IsDispatchVariable(std::string_view name);
// Functions (and function-like macros) of the C standard library.
bool IsStandardLibraryFunction(std::string_view name);
// Macros of the C standard library that stand for an object (errno).
bool IsStandardLibraryObject(std::string_view name);
// Names that start with "__", or with "_" and an upper-case letter.
bool IsReservedToImplementation(std::string_view name);
// Whether `cName` is the C name the generated code gives the parameter named
// `parameter`: "_" and its name.
inline bool IsCNameOfParameter(std::string_view cName,
                               std::string_view parameter) {
  return cName.size() == parameter.size() + 1 && cName[0] == '_' &&
         cName.substr(1) == parameter;
}
// A header file name that the generated code or a C program includes with
// angle brackets: kiv.h, kivd.h or a C standard header.
bool IsIncludedHeaderName(std::string_view fileName);

}  // namespace c_identifiers

}  // namespace kivg
