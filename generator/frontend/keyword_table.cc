#include "generator/frontend/keyword_table.h"

namespace kivg {

KeywordTable::Map& KeywordTable::Table() {
  // The keywords every source knows from the start. `lib` and `include` are
  // not among them: the lexer enters those when the first source is opened.
  static Map table = {
      {"and", TokenType::AND},
      {"assert", TokenType::ASSERT},
      {"break", TokenType::BREAK},
      {"class", TokenType::CLASS},
      {"continue", TokenType::CONTINUE},
      {"del", TokenType::DEL},
      {"elif", TokenType::ELIF},
      {"else", TokenType::ELSE},
      {"except", TokenType::EXCEPT},
      {"exec", TokenType::EXEC},
      {"finally", TokenType::FINALLY},
      {"for", TokenType::FOR},
      {"from", TokenType::FROM},
      {"global", TokenType::GLOBAL},
      {"if", TokenType::IF},
      {"import", TokenType::IMPORT},
      {"in", TokenType::IN},
      {"is", TokenType::IS},
      {"lambda", TokenType::LAMBDA},
      {"local", TokenType::LOCAL},
      {"nonlocal", TokenType::NONLOCAL},
      {"not", TokenType::NOT},
      {"or", TokenType::OR},
      {"pass", TokenType::PASS},
      {"raise", TokenType::RAISE},
      {"return", TokenType::RETURN},
      {"try", TokenType::TRY},
      {"while", TokenType::WHILE},
      {"with", TokenType::WITH},
      {"yield", TokenType::YIELD},
      {"as", TokenType::AS},
      {"def", TokenType::DEF},
      {"None", TokenType::NONE},
      {"False", TokenType::FALSE},
      {"True", TokenType::TRUE},
  };
  return table;
}

TokenType KeywordTable::Lookup(std::string_view identifier) {
  const Map& table = Table();
  auto found = table.find(identifier);
  return found == table.end() ? TokenType::NAME : found->second;
}

void KeywordTable::Add(const std::string& keyword, TokenType type) {
  Table().emplace(keyword, type);
}

}  // namespace kivg
