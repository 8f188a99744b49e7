// Grammar of application spec sources. Each action builds an element or hands
// a complete statement to the Generator, which checks it; no syntax tree
// outlives a statement. The terminals are declared in token-code order so that
// the generated codes equal TokenType.

%name KivParse
%token_prefix TK_
%start_symbol spec
%stack_size 100
%extra_context {Generator* generator}

%include {
#include <cassert>
#include <cstdlib>

#include "generator/frontend/spec_elements.h"
#include "generator/frontend/token.h"
#include "generator/model/generator.h"

// Lemon's code lives outside any namespace; these are the names it uses.
using kivg::Generator;
using kivg::kTerminalTokenCount;
using kivg::Literal;
using kivg::NameList;
using kivg::Parameter;
using kivg::ParameterKind;
using kivg::ParameterList;
using kivg::SourceElement;
using kivg::Token;

// Moves the generator's current location to a freshly built element, so that
// a later diagnostic without a location of its own points at it.
template <typename Element>
static Element* Located(Generator* generator, Element* element) {
  if (element != nullptr && element->location.line != 0)
    generator->currentLocation = element->location;
  return element;
}
}

// Lemon numbers the terminals itself; a terminal declared here but missing
// from token.h's list would shift no code and still be wrong.
%code {
static_assert(YYNTOKEN == kTerminalTokenCount,
              "grammar.y declares terminals that token.h does not list");
}

%syntax_error { generator->ReportError("Syntax error"); }
%parse_failure { generator->ReportError("Parse error"); }
%stack_overflow { generator->ReportError("Parser stack overflow"); }

// Each symbol type deletes its own values: the parser runs these for a token
// or element that a rule leaves without a label, and for whatever is on the
// stack when a parse fails. A labelled value belongs to the action, which
// passes it on to the Generator or an element, or deletes it after reading.
// Statements carry no value, so they have no type of their own and nothing
// to delete.
%token_type {Token*}
%token_destructor { delete $$; }
%default_type {SourceElement*}

%type literal {Literal*}
%destructor literal { delete $$; }
%type parameters {ParameterList*}
%destructor parameters { delete $$; }
%type names {NameList*}
%destructor names { delete $$; }
%type parameter {Parameter*}
%destructor parameter { delete $$; }

%token ASSIGN LEFT_PAREN NAME
       AND ASSERT BREAK CLASS CONTINUE DEL ELIF ELSE EXCEPT EXEC FINALLY FOR
       FROM GLOBAL IF IN IS LAMBDA LOCAL NONLOCAL NOT OR PASS RAISE RETURN TRY
       WHILE WITH YIELD
       UNEXPECTED_INDENT MISSING_INDENT MISMATCHED_INDENT INCONSISTENT_INDENT
       COLON NEWLINE LIB INCLUDE STRING IMPORT AS PLUS MINUS DEF RIGHT_PAREN
       DEDENT COMMA ASTERISK DOUBLE_ASTERISK NONE FALSE TRUE ELLIPSIS INTEGER
       FLOAT.

// An empty action still counts as one: lemon moves rules without any to the
// end of its numbering, and the rules keep their grammar order this way.
spec ::= statements. {}

statements ::= statements statement. {}
statements ::= . {}

statement ::= NEWLINE. {}
statement ::= LIB(L) NEWLINE. { generator->DeclareLibrary(L); }
statement ::= INCLUDE NAME(X) NEWLINE. { generator->IncludeSource(X); }
statement ::= INCLUDE STRING(X) NEWLINE. { generator->IncludeSource(X); }
statement ::= IMPORT NAME(M) NEWLINE. { generator->ImportModule(M, M); }
statement ::= IMPORT NAME(M) AS NAME(X) NEWLINE. { generator->ImportModule(M, X); }
statement ::= IMPORT STRING(M) AS NAME(X) NEWLINE. { generator->ImportModule(M, X); }
statement ::= PLUS NAME(X) NEWLINE. { generator->SetFeature(X, true); }
statement ::= MINUS NAME(X) NEWLINE. { generator->SetFeature(X, false); }
statement ::= PLUS CLASS(X) NEWLINE. { generator->SetFeature(X, true); }
statement ::= MINUS CLASS(X) NEWLINE. { generator->SetFeature(X, false); }
statement ::= NAME(X) ASSIGN literal(L) NEWLINE. { generator->AssignConstant(X, L); }
statement ::= DEF NAME(X) LEFT_PAREN parameters(P) RIGHT_PAREN ASSIGN NAME(I) NEWLINE. {
  generator->DefineFunction(X, P, I);
}
statement ::= CLASS NAME(X) COLON. { generator->DefineClass(X); }
statement ::= DEDENT. { generator->EndClass(); }
statement ::= NAME(X) NEWLINE. { generator->AssignConstant(X, nullptr); }
statement ::= DEL names(L) NEWLINE. { generator->DeleteNames(L); }

// The element rules read a name token's text into the element and then
// delete the token themselves.
parameters(A) ::= parameters(L) COMMA parameter(P). {
  A = Located(generator, L->Append(P));
}
parameters(A) ::= parameter(P). {
  A = Located(generator, (new ParameterList)->Append(P));
}
parameters(A) ::= . { A = new ParameterList; }

parameter(A) ::= NAME(X) ASSIGN literal(L). {
  A = Located(generator, new Parameter(*X, L)); delete X;
}
parameter(A) ::= NAME(X). {
  A = Located(generator, new Parameter(*X, ParameterKind::Positional)); delete X;
}
parameter(A) ::= ASTERISK NAME(X). {
  A = Located(generator, new Parameter(*X, ParameterKind::TupleGroup)); delete X;
}
parameter(A) ::= DOUBLE_ASTERISK NAME(X). {
  A = Located(generator, new Parameter(*X, ParameterKind::DictionaryGroup)); delete X;
}

names(A) ::= names(L) COMMA NAME(X). {
  A = Located(generator, L->Append(*X)); delete X;
}
names(A) ::= NAME(X). { A = Located(generator, (new NameList)->Append(*X)); delete X; }

literal(A) ::= NONE(T). { A = generator->MakeLiteral(T); }
literal(A) ::= FALSE(T). { A = generator->MakeLiteral(T); }
literal(A) ::= TRUE(T). { A = generator->MakeLiteral(T); }
literal(A) ::= ELLIPSIS(T). { A = generator->MakeLiteral(T); }
literal(A) ::= INTEGER(T). { A = generator->MakeLiteral(T); }
literal(A) ::= FLOAT(T). { A = generator->MakeLiteral(T); }
literal(A) ::= STRING(T). { A = generator->MakeLiteral(T); }
