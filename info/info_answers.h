// The answers of kivinfo, one line each (the source file list several),
// written to the output stream with the stream's number format and fill
// restored afterwards.
#pragma once

#include <kivd.h>

#include <cstdint>
#include <ostream>

namespace kivinfo {

void AnswerAddCodeResult(std::ostream& out, int32_t code);
void AnswerRunResult(std::ostream& out, int32_t code);
void AnswerProgramCounter(std::ostream& out, KivSourceInfo* info,
                          uint32_t programCounter);
void AnswerSymbol(std::ostream& out, KivSourceInfo* info, int32_t symbol);
void ListSourceFiles(std::ostream& out, KivSourceInfo* info);

}  // namespace kivinfo
