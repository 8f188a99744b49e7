#include "generator/frontend/parser.h"

#include <cstdlib>

#include "generator/model/generator.h"
#include "grammar.h"  // generated: the TK_ terminal codes

// The entry points that lemon generates in grammar.cc.
void* KivParseAlloc(void* (*mallocProc)(size_t), kivg::Generator* generator);
void KivParse(void* parser, int major, kivg::Token* minor);
void KivParseFree(void* parser, void (*freeProc)(void*));

namespace kivg {

// The grammar's terminal codes index the parse tables; they must be the
// token codes the lexer produces, every one of them.
#define KIV_SAME_CODE(name, code)                                     \
  static_assert(TK_##name == (code),                                  \
                "the %token list of grammar.y and the token list of " \
                "token.h disagree on " #name);
#define KIV_SAME_KEYWORD_CODE(name, code, spelling, entered) \
  KIV_SAME_CODE(name, code)
KIV_TERMINAL_TOKENS(KIV_SAME_CODE, KIV_SAME_KEYWORD_CODE)
#undef KIV_SAME_KEYWORD_CODE
#undef KIV_SAME_CODE

Parser::Parser(Generator& generator)
    : state_(KivParseAlloc(std::malloc, &generator)) {}

Parser::~Parser() { KivParseFree(state_, std::free); }

void Parser::Parse(TokenType type, Token* token) {
  KivParse(state_, static_cast<int>(type), token);
}

}  // namespace kivg
