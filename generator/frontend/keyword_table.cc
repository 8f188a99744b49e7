#include "generator/frontend/keyword_table.h"

namespace kivg {

KeywordTable::Map& KeywordTable::Table() {
  // The keywords every source knows from the start; the first lexer adds the
  // rest (EnterLateKeywords).
  static Map table = [] {
    Map keywords;
    for (const Keyword& keyword : kKeywords) {
      if (keyword.entered == KeywordEntry::kAtStart)
        keywords.emplace(keyword.spelling, keyword.type);
    }
    return keywords;
  }();
  return table;
}

TokenType KeywordTable::Lookup(std::string_view identifier) {
  const Map& table = Table();
  auto found = table.find(identifier);
  return found == table.end() ? TokenType::NAME : found->second;
}

void KeywordTable::EnterLateKeywords() {
  static const bool entered = [] {
    for (const Keyword& keyword : kKeywords) {
      if (keyword.entered == KeywordEntry::kByFirstLexer)
        Table().emplace(keyword.spelling, keyword.type);
    }
    return true;
  }();
  (void)entered;
}

}  // namespace kivg
