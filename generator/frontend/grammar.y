%name KivParse
%token_prefix TK_
%token ASSIGN.
spec ::= .
