" Vim syntax file
" Language: Kiv application spec (*.kivs)
" Highlights what the spec lexer accepts; text the lexer rejects (malformed
" or out-of-range numbers, broken strings, stray characters, reserved
" keywords) is shown as an error rather than as a valid literal.

if exists("b:current_syntax")
  finish
endif

syn case match
" Strings can run on over a backslash at the line end.
syn sync minlines=50

" Items defined later win when two start at the same column, so the
" catch-alls come first and the specific forms after them.
syn match kivsBadCharacter /[^ \t\x0b\x0c\rA-Za-z0-9_#"'\\.:+\-()=,*]/
syn match kivsName /[A-Za-z_][A-Za-z0-9_]*/
syn match kivsOperator /=\|\*\*\=\|[-+]/
syn match kivsComma /,/
syn match kivsParen /[()]/

" Numbers: every numeral the lexer starts on is an error unless it is one
" of the valid forms below, which must also end where the lexer stops.
syn match kivsBadNumber /\%([-+]\%([0-9]\|\.[0-9]\)\@=\)\=\%([0-9]\|\.\%(\.\.\)\@!\)\%([A-Za-z0-9_]\|\%([eE]\)\@1<=[-+]\|\.\%(\.\)\@!\)*/
syn match kivsDecimal /\%([-+]\=\%(\%(0_\)\@!\%(0_\=\)*\%([1-9]\%(_\=[0-9]\)\{0,8}\|\%(1\%(_\=[0-9]\)\{9}\|2_\=0\%(_\=[0-9]\)\{8}\|2_\=1_\=[0-3]\%(_\=[0-9]\)\{7}\|2_\=1_\=4_\=[0-6]\%(_\=[0-9]\)\{6}\|2_\=1_\=4_\=7_\=[0-3]\%(_\=[0-9]\)\{5}\|2_\=1_\=4_\=7_\=4_\=[0-7]\%(_\=[0-9]\)\{4}\|2_\=1_\=4_\=7_\=4_\=8_\=[0-2]\%(_\=[0-9]\)\{3}\|2_\=1_\=4_\=7_\=4_\=8_\=3_\=[0-5]\%(_\=[0-9]\)\{2}\|2_\=1_\=4_\=7_\=4_\=8_\=3_\=6_\=[0-3]\%(_\=[0-9]\)\|2_\=1_\=4_\=7_\=4_\=8_\=3_\=6_\=4_\=[0-7]\)\)\|\%(0_\)\@!0\%(_\=0\)*\)\%(\.\.\|[^A-Za-z0-9_.]\|$\)\@=\|-\%(0_\)\@!\%(0_\=\)*2_\=1_\=4_\=7_\=4_\=8_\=3_\=6_\=4_\=8\%(\.\.\|[^A-Za-z0-9_.]\|$\)\@=\|[-+]\=0\%(_\)\@=\)/
syn match kivsBinary /[-+]\=0[bB]\%(\%(0_\=\)*1\%(_\=[01]\)\{0,31}\|0\%(_\=0\)*\)\%(\.\.\|[^A-Za-z0-9_.]\|$\)\@=/
syn match kivsHexadecimal /[-+]\=0[xX]\%(\%(0_\=\)*[1-9A-Fa-f]\%(_\=[0-9A-Fa-f]\)\{0,7}\|0\%(_\=0\)*\)\%(\.\.\|[^A-Za-z0-9_.]\|$\)\@=/
syn match kivsFloat /[-+]\=\%(\%(0\.\%(\.\)\@!\%(_\=[0-9]\)*\|\%(0[0-9]\|[1-9]\)\%(_\=[0-9]\)*\.\%(\.\)\@!\%([0-9]\%(_\=[0-9]\)*\)\=\|\.[0-9]\%(_\=[0-9]\)*\)\%([eE][-+]\=[0-9]\%(_\=[0-9]\)*\)\=\|\%(0_\)\@![0-9]\%(_\=[0-9]\)*[eE][-+]\=[0-9]\%(_\=[0-9]\)*\)\%(\.\.\|[^A-Za-z0-9_.]\|$\)\@=/
syn match kivsEllipsis /\.\.\./

" Strings: closed on their line, continued by a backslash-newline, or broken
" off by a bad escape or the line end.
syn match kivsBadString /"\%([^"\\]\|\\\%([nabfrtv"'\\]\|x[0-9A-Fa-f]\{2}\|[01][0-9][0-9]\|2[0-4][0-9]\|25[0-5]\|[0-9][0-9]\=\%([0-9]\)\@!\)\)*\%(\\\%([^nabfrtv"'\\x0-9]\|x\%([0-9A-Fa-f][^0-9A-Fa-f]\|[^0-9A-Fa-f]\|[0-9A-Fa-f]\=\%($\|$\)\@=\)\|25[6-9]\|2[6-9][0-9]\|[3-9][0-9][0-9]\)\|$\)/
syn region kivsString start=/"\%(\%([^"\\]\|\\\%([nabfrtv"'\\]\|x[0-9A-Fa-f]\{2}\|[01][0-9][0-9]\|2[0-4][0-9]\|25[0-5]\|[0-9][0-9]\=\%([0-9]\)\@!\)\)*\\$\)\@=/ skip=/\\$/ end=/"/ end=/$/ contains=kivsEscape,kivsBadEscape
syn match kivsString /"\%([^"\\]\|\\\%([nabfrtv"'\\]\|x[0-9A-Fa-f]\{2}\|[01][0-9][0-9]\|2[0-4][0-9]\|25[0-5]\|[0-9][0-9]\=\%([0-9]\)\@!\)\)*"/ contains=kivsEscape
syn match kivsBadString /'\%([^'\\]\|\\\%([nabfrtv"'\\]\|x[0-9A-Fa-f]\{2}\|[01][0-9][0-9]\|2[0-4][0-9]\|25[0-5]\|[0-9][0-9]\=\%([0-9]\)\@!\)\)*\%(\\\%([^nabfrtv"'\\x0-9]\|x\%([0-9A-Fa-f][^0-9A-Fa-f]\|[^0-9A-Fa-f]\|[0-9A-Fa-f]\=\%($\|$\)\@=\)\|25[6-9]\|2[6-9][0-9]\|[3-9][0-9][0-9]\)\|$\)/
syn region kivsString start=/'\%(\%([^'\\]\|\\\%([nabfrtv"'\\]\|x[0-9A-Fa-f]\{2}\|[01][0-9][0-9]\|2[0-4][0-9]\|25[0-5]\|[0-9][0-9]\=\%([0-9]\)\@!\)\)*\\$\)\@=/ skip=/\\$/ end=/'/ end=/$/ contains=kivsEscape,kivsBadEscape
syn match kivsString /'\%([^'\\]\|\\\%([nabfrtv"'\\]\|x[0-9A-Fa-f]\{2}\|[01][0-9][0-9]\|2[0-4][0-9]\|25[0-5]\|[0-9][0-9]\=\%([0-9]\)\@!\)\)*'/ contains=kivsEscape
syn match kivsEscape /\\\%([nabfrtv"'\\]\|x[0-9A-Fa-f]\{2}\|[01][0-9][0-9]\|2[0-4][0-9]\|25[0-5]\|[0-9][0-9]\=\%([0-9]\)\@!\)\|\\$/ contained
syn match kivsBadEscape /\\\%([^nabfrtv"'\\x0-9]\|x\%([0-9A-Fa-f][^0-9A-Fa-f]\|[^0-9A-Fa-f]\|[0-9A-Fa-f]\=\%($\|$\)\@=\)\|25[6-9]\|2[6-9][0-9]\|[3-9][0-9][0-9]\)/ contained

" Keywords.
syn match kivsReserved /\%([A-Za-z0-9_]\)\@1<!\%(and\|assert\|break\|continue\|elif\|else\|except\|exec\|finally\|for\|from\|global\|if\|in\|is\|lambda\|local\|nonlocal\|not\|or\|pass\|raise\|return\|try\|while\|with\|yield\)\%([A-Za-z0-9_]\)\@!/
syn match kivsBoolean /\%([A-Za-z0-9_]\)\@1<!\%(True\|False\)\%([A-Za-z0-9_]\)\@!/
syn match kivsNone /\%([A-Za-z0-9_]\)\@1<!\%(None\)\%([A-Za-z0-9_]\)\@!/
syn match kivsLib /\%([A-Za-z0-9_]\)\@1<!\%(lib\)\%([A-Za-z0-9_]\)\@!/
syn match kivsAs /\%([A-Za-z0-9_]\)\@1<!\%(as\)\%([A-Za-z0-9_]\)\@!/ nextgroup=kivsAlias skipwhite
syn match kivsDel /\%([A-Za-z0-9_]\)\@1<!\%(del\)\%([A-Za-z0-9_]\)\@!/
syn match kivsImport /\%([A-Za-z0-9_]\)\@1<!\%(import\)\%([A-Za-z0-9_]\)\@!/ nextgroup=kivsModule skipwhite
syn match kivsInclude /\%([A-Za-z0-9_]\)\@1<!\%(include\)\%([A-Za-z0-9_]\)\@!/ nextgroup=kivsIncludeName skipwhite
syn match kivsClass /\%([A-Za-z0-9_]\)\@1<!\%(class\)\%([A-Za-z0-9_]\)\@!/ nextgroup=kivsClassName skipwhite
syn match kivsDef /\%([A-Za-z0-9_]\)\@1<!\%(def\)\%([A-Za-z0-9_]\)\@!/ nextgroup=kivsFunctionName skipwhite
syn match kivsAlias /\%(\%(False\|None\|True\|and\|as\|assert\|break\|class\|continue\|def\|del\|elif\|else\|except\|exec\|finally\|for\|from\|global\|if\|import\|in\|include\|is\|lambda\|lib\|local\|nonlocal\|not\|or\|pass\|raise\|return\|try\|while\|with\|yield\)\%([A-Za-z0-9_]\)\@!\)\@![A-Za-z_][A-Za-z0-9_]*/ contained
syn match kivsModule /\%(\%(False\|None\|True\|and\|as\|assert\|break\|class\|continue\|def\|del\|elif\|else\|except\|exec\|finally\|for\|from\|global\|if\|import\|in\|include\|is\|lambda\|lib\|local\|nonlocal\|not\|or\|pass\|raise\|return\|try\|while\|with\|yield\)\%([A-Za-z0-9_]\)\@!\)\@![A-Za-z_][A-Za-z0-9_]*/ contained
syn match kivsIncludeName /\%(\%(False\|None\|True\|and\|as\|assert\|break\|class\|continue\|def\|del\|elif\|else\|except\|exec\|finally\|for\|from\|global\|if\|import\|in\|include\|is\|lambda\|lib\|local\|nonlocal\|not\|or\|pass\|raise\|return\|try\|while\|with\|yield\)\%([A-Za-z0-9_]\)\@!\)\@![A-Za-z_][A-Za-z0-9_]*/ contained
syn match kivsClassName /\%(\%(False\|None\|True\|and\|as\|assert\|break\|class\|continue\|def\|del\|elif\|else\|except\|exec\|finally\|for\|from\|global\|if\|import\|in\|include\|is\|lambda\|lib\|local\|nonlocal\|not\|or\|pass\|raise\|return\|try\|while\|with\|yield\)\%([A-Za-z0-9_]\)\@!\)\@![A-Za-z_][A-Za-z0-9_]*/ contained
syn match kivsFunctionName /\%(\%(False\|None\|True\|and\|as\|assert\|break\|class\|continue\|def\|del\|elif\|else\|except\|exec\|finally\|for\|from\|global\|if\|import\|in\|include\|is\|lambda\|lib\|local\|nonlocal\|not\|or\|pass\|raise\|return\|try\|while\|with\|yield\)\%([A-Za-z0-9_]\)\@!\)\@![A-Za-z_][A-Za-z0-9_]*/ contained nextgroup=kivsParameters skipwhite
syn region kivsParameters matchgroup=kivsParen start=/(/ end=/)/ contained contains=kivsParameter,kivsUnpack,kivsComma,kivsOperator,kivsComment,kivsContinuation,kivsBadContinuation,@kivsLiterals,kivsReserved,kivsBadCharacter nextgroup=kivsInternalAssign skipwhite
syn match kivsParameter /\%(\%(False\|None\|True\|and\|as\|assert\|break\|class\|continue\|def\|del\|elif\|else\|except\|exec\|finally\|for\|from\|global\|if\|import\|in\|include\|is\|lambda\|lib\|local\|nonlocal\|not\|or\|pass\|raise\|return\|try\|while\|with\|yield\)\%([A-Za-z0-9_]\)\@!\)\@![A-Za-z_][A-Za-z0-9_]*/ contained
syn match kivsUnpack /\*\*\=/ contained nextgroup=kivsParameter skipwhite
syn match kivsInternalAssign /=/ contained nextgroup=kivsInternal skipwhite
syn match kivsInternal /\%(\%(False\|None\|True\|and\|as\|assert\|break\|class\|continue\|def\|del\|elif\|else\|except\|exec\|finally\|for\|from\|global\|if\|import\|in\|include\|is\|lambda\|lib\|local\|nonlocal\|not\|or\|pass\|raise\|return\|try\|while\|with\|yield\)\%([A-Za-z0-9_]\)\@!\)\@![A-Za-z_][A-Za-z0-9_]*/ contained
syn cluster kivsLiterals contains=kivsBadNumber,kivsDecimal,kivsBinary,kivsHexadecimal,kivsFloat,kivsEllipsis,kivsBadString,kivsString,kivsBoolean,kivsNone

" Statements that start their line.
" A line that a backslash joins to the one before does not start a statement.
syn match kivsConstant /\%(\\\n\)\@2<!\_^[ \t\x0b\x0c\r]*\zs\%(\%(False\|None\|True\|and\|as\|assert\|break\|class\|continue\|def\|del\|elif\|else\|except\|exec\|finally\|for\|from\|global\|if\|import\|in\|include\|is\|lambda\|lib\|local\|nonlocal\|not\|or\|pass\|raise\|return\|try\|while\|with\|yield\)\%([A-Za-z0-9_]\)\@!\)\@![A-Za-z_][A-Za-z0-9_]*/
syn match kivsFeatureSign /\%(\\\n\)\@2<!\_^[ \t\x0b\x0c\r]*\zs[-+]\ze[ \t\x0b\x0c\r]*[A-Za-z_]/ nextgroup=kivsUnknownFeature,kivsFeature skipwhite
syn match kivsUnknownFeature /[A-Za-z_][A-Za-z0-9_]*/ contained
syn match kivsFeature /class\%([A-Za-z0-9_]\)\@!/ contained

" A block colon ends its line: only blanks and a comment may follow it.
syn match kivsColon /:/ nextgroup=kivsBadAfterColon skipwhite
syn match kivsBadAfterColon /[^# \t]/ contained

" A backslash at the line end, or before a comment, joins the next line.
syn match kivsBadContinuation /\\\%([ \t\x0c\x0b\r]\+\%([ \t\x0c\x0b\r#]\)\@!\|[^ \t\x0c\x0b\r#]\)/
syn match kivsContinuation /\\\%([ \t\x0b\x0c\r]*#\|$\)\@=/
syn match kivsComment /#.*$/ contains=@Spell

hi def link kivsBadCharacter Error
hi def link kivsBadNumber Error
hi def link kivsBadString Error
hi def link kivsBadEscape Error
hi def link kivsBadContinuation Error
hi def link kivsReserved Error
hi def link kivsUnknownFeature Error
hi def link kivsBadAfterColon Error
hi def link kivsOperator Operator
hi def link kivsUnpack Operator
hi def link kivsInternalAssign Operator
hi def link kivsComma Delimiter
hi def link kivsParen Delimiter
hi def link kivsColon Delimiter
hi def link kivsDecimal Number
hi def link kivsBinary Number
hi def link kivsHexadecimal Number
hi def link kivsFloat Float
hi def link kivsEllipsis Constant
hi def link kivsNone Constant
hi def link kivsBoolean Boolean
hi def link kivsString String
hi def link kivsEscape SpecialChar
hi def link kivsLib PreProc
hi def link kivsAs Include
hi def link kivsImport Include
hi def link kivsInclude Include
hi def link kivsDel Statement
hi def link kivsClass Structure
hi def link kivsDef Keyword
hi def link kivsAlias Identifier
hi def link kivsModule Identifier
hi def link kivsIncludeName String
hi def link kivsClassName Type
hi def link kivsFunctionName Function
hi def link kivsParameter Identifier
hi def link kivsInternal Function
hi def link kivsConstant Identifier
hi def link kivsFeatureSign PreProc
hi def link kivsFeature PreProc
hi def link kivsContinuation Special
hi def link kivsComment Comment

let b:current_syntax = "kivs"
