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

%token_type {Token*}
%token_destructor { delete $$; }
%default_type {SourceElement*}
%default_destructor { delete $$; }

%type literal {Literal*}
%type parameters {ParameterList*}
%type names {NameList*}
%type parameter {Parameter*}

%token ASSIGN LEFT_PAREN NAME
       AND ASSERT BREAK CLASS CONTINUE DEL ELIF ELSE EXCEPT EXEC FINALLY FOR
       FROM GLOBAL IF IN IS LAMBDA LOCAL NONLOCAL NOT OR PASS RAISE RETURN TRY
       WHILE WITH YIELD
       UNEXPECTED_INDENT MISSING_INDENT MISMATCHED_INDENT INCONSISTENT_INDENT
       COLON NEWLINE LIB INCLUDE STRING IMPORT AS PLUS MINUS DEF RIGHT_PAREN
       DEDENT COMMA ASTERISK DOUBLE_ASTERISK NONE FALSE TRUE ELLIPSIS INTEGER
       FLOAT.

// Statements build nothing: every statement's value is null.
spec(A) ::= statements(S). { A = nullptr; delete S; }

statements(A) ::= statements(L) statement(S). { A = L; delete S; }
statements(A) ::= . { A = nullptr; }

statement(S) ::= NEWLINE(N). { S = nullptr; delete N; }
statement(S) ::= LIB(L) NEWLINE(N). { S = nullptr; generator->DeclareLibrary(L); delete N; }
statement(S) ::= INCLUDE(I) NAME(X) NEWLINE(N). { S = nullptr;
  delete I; generator->IncludeSource(X); delete N;
}
statement(S) ::= INCLUDE(I) STRING(X) NEWLINE(N). { S = nullptr;
  delete I; generator->IncludeSource(X); delete N;
}
statement(S) ::= IMPORT(I) NAME(M) NEWLINE(N). { S = nullptr;
  delete I; generator->ImportModule(M, M); delete N;
}
statement(S) ::= IMPORT(I) NAME(M) AS(A) NAME(X) NEWLINE(N). { S = nullptr;
  delete I; generator->ImportModule(M, X); delete A; delete N;
}
statement(S) ::= IMPORT(I) STRING(M) AS(A) NAME(X) NEWLINE(N). { S = nullptr;
  delete I; generator->ImportModule(M, X); delete A; delete N;
}
statement(S) ::= PLUS(P) NAME(X) NEWLINE(N). { S = nullptr;
  delete P; generator->SetFeature(X, true); delete N;
}
statement(S) ::= MINUS(P) NAME(X) NEWLINE(N). { S = nullptr;
  delete P; generator->SetFeature(X, false); delete N;
}
statement(S) ::= PLUS(P) CLASS(X) NEWLINE(N). { S = nullptr;
  delete P; generator->SetFeature(X, true); delete N;
}
statement(S) ::= MINUS(P) CLASS(X) NEWLINE(N). { S = nullptr;
  delete P; generator->SetFeature(X, false); delete N;
}
statement(S) ::= NAME(X) ASSIGN(A) literal(L) NEWLINE(N). { S = nullptr;
  generator->AssignConstant(X, L); delete A; delete N;
}
statement(S) ::= DEF(D) NAME(X) LEFT_PAREN(LP) parameters(P) RIGHT_PAREN(RP)
              ASSIGN(A) NAME(I) NEWLINE(N). { S = nullptr;
  delete D; generator->DefineFunction(X, P, I);
  delete LP; delete RP; delete A; delete N;
}
statement(S) ::= CLASS(C) NAME(X) COLON(O). { S = nullptr;
  delete C; generator->DefineClass(X); delete O;
}
statement(S) ::= DEDENT(D). { S = nullptr; delete D; generator->EndClass(); }
statement(S) ::= NAME(X) NEWLINE(N). { S = nullptr; generator->AssignConstant(X, nullptr); delete N; }
statement(S) ::= DEL(D) names(L) NEWLINE(N). { S = nullptr;
  delete D; generator->DeleteNames(L); delete N;
}

parameters(A) ::= parameters(L) COMMA(C) parameter(P). {
  A = Located(generator, L->Append(P)); delete C;
}
parameters(A) ::= parameter(P). {
  A = Located(generator, (new ParameterList)->Append(P));
}
parameters(A) ::= . { A = new ParameterList; }

parameter(A) ::= NAME(X) ASSIGN(S) literal(L). {
  A = Located(generator, new Parameter(*X, L)); delete X; delete S;
}
parameter(A) ::= NAME(X). {
  A = Located(generator, new Parameter(*X, ParameterKind::Positional)); delete X;
}
parameter(A) ::= ASTERISK(S) NAME(X). {
  delete S; A = Located(generator, new Parameter(*X, ParameterKind::TupleGroup)); delete X;
}
parameter(A) ::= DOUBLE_ASTERISK(S) NAME(X). {
  delete S; A = Located(generator, new Parameter(*X, ParameterKind::DictionaryGroup)); delete X;
}

names(A) ::= names(L) COMMA(C) NAME(X). {
  A = Located(generator, L->Append(*X)); delete X; delete C;
}
names(A) ::= NAME(X). { A = Located(generator, (new NameList)->Append(*X)); delete X; }

literal(A) ::= NONE(T). { A = generator->MakeLiteral(T); }
literal(A) ::= FALSE(T). { A = generator->MakeLiteral(T); }
literal(A) ::= TRUE(T). { A = generator->MakeLiteral(T); }
literal(A) ::= ELLIPSIS(T). { A = generator->MakeLiteral(T); }
literal(A) ::= INTEGER(T). { A = generator->MakeLiteral(T); }
literal(A) ::= FLOAT(T). { A = generator->MakeLiteral(T); }
literal(A) ::= STRING(T). { A = generator->MakeLiteral(T); }
