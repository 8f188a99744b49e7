#include "generator/frontend/parser.h"

#include <cstdlib>

#include "grammar.h"  // generated: the TK_ terminal codes
#include "generator/model/generator.h"

// The entry points that lemon generates in grammar.cc.
void* KivParseAlloc(void* (*mallocProc)(size_t), Generator* generator);
void KivParse(void* parser, int major, Token* minor);
void KivParseFree(void* parser, void (*freeProc)(void*));

// The grammar's terminal codes index the parse tables; they must be the
// token codes the lexer produces.
#define KIV_SAME_CODE(name) \
  static_assert(TK_##name == static_cast<int>(TokenType::name), #name)
KIV_SAME_CODE(ASSIGN);
KIV_SAME_CODE(LEFT_PAREN);
KIV_SAME_CODE(NAME);
KIV_SAME_CODE(AND);
KIV_SAME_CODE(YIELD);
KIV_SAME_CODE(UNEXPECTED_INDENT);
KIV_SAME_CODE(INCONSISTENT_INDENT);
KIV_SAME_CODE(COLON);
KIV_SAME_CODE(NEWLINE);
KIV_SAME_CODE(LIB);
KIV_SAME_CODE(INCLUDE);
KIV_SAME_CODE(STRING);
KIV_SAME_CODE(IMPORT);
KIV_SAME_CODE(AS);
KIV_SAME_CODE(PLUS);
KIV_SAME_CODE(MINUS);
KIV_SAME_CODE(DEF);
KIV_SAME_CODE(RIGHT_PAREN);
KIV_SAME_CODE(DEDENT);
KIV_SAME_CODE(COMMA);
KIV_SAME_CODE(ASTERISK);
KIV_SAME_CODE(DOUBLE_ASTERISK);
KIV_SAME_CODE(NONE);
KIV_SAME_CODE(FALSE);
KIV_SAME_CODE(TRUE);
KIV_SAME_CODE(ELLIPSIS);
KIV_SAME_CODE(INTEGER);
KIV_SAME_CODE(FLOAT);
#undef KIV_SAME_CODE

Parser::Parser(Generator& generator)
    : state_(KivParseAlloc(std::malloc, &generator)) {}

Parser::~Parser() { KivParseFree(state_, std::free); }

void Parser::Parse(TokenType type, Token* token) {
  KivParse(state_, static_cast<int>(type), token);
}
