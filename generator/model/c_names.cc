#include "generator/model/c_names.h"

#include <iterator>
#include <unordered_set>

namespace kivg {

namespace c_names {
namespace {

using NameSet = std::unordered_set<std::string_view>;

const char* const kCKeywords[] = {
    "auto", "break", "case", "char", "const", "continue", "default", "do",
    "double", "else", "enum", "extern", "float", "for", "goto", "if",
    "inline", "int", "long", "register", "restrict", "return", "short",
    "signed", "sizeof", "static", "struct", "switch", "typedef", "union",
    "unsigned", "void", "volatile", "while", "_Bool", "_Complex",
    "_Imaginary", "_Alignas", "_Alignof", "_Atomic", "_Generic", "_Noreturn",
    "_Static_assert", "_Thread_local", "_Pragma",
};

const char* const kCxxKeywords[] = {
    "alignas", "alignof", "and", "and_eq", "asm", "auto", "bitand", "bitor",
    "bool", "break", "case", "catch", "char", "char8_t", "char16_t",
    "char32_t", "class", "compl", "concept", "const", "consteval",
    "constexpr", "constinit", "const_cast", "continue", "co_await",
    "co_return", "co_yield", "decltype", "default", "delete", "do", "double",
    "dynamic_cast", "else", "enum", "explicit", "export", "extern", "false",
    "float", "for", "friend", "goto", "if", "inline", "int", "long",
    "mutable", "namespace", "new", "noexcept", "not", "not_eq", "nullptr",
    "operator", "or", "or_eq", "private", "protected", "public", "register",
    "reinterpret_cast", "requires", "return", "short", "signed", "sizeof",
    "static", "static_assert", "static_cast", "struct", "switch", "template",
    "this", "thread_local", "throw", "true", "try", "typedef", "typeid",
    "typename", "union", "unsigned", "using", "virtual", "void", "volatile",
    "wchar_t", "while", "xor", "xor_eq",
};

const char* const kIncludedHeaderNames[] = {
    // <stddef.h> and <stdbool.h>
    "size_t", "ptrdiff_t", "wchar_t", "max_align_t", "NULL", "offsetof",
    "bool", "true", "false",
    // <stdint.h>
    "int8_t", "int16_t", "int32_t", "int64_t", "uint8_t", "uint16_t",
    "uint32_t", "uint64_t", "int_least8_t", "int_least16_t", "int_least32_t",
    "int_least64_t", "uint_least8_t", "uint_least16_t", "uint_least32_t",
    "uint_least64_t", "int_fast8_t", "int_fast16_t", "int_fast32_t",
    "int_fast64_t", "uint_fast8_t", "uint_fast16_t", "uint_fast32_t",
    "uint_fast64_t", "intptr_t", "uintptr_t", "intmax_t", "uintmax_t",
    "INT8_MIN", "INT16_MIN", "INT32_MIN", "INT64_MIN", "INT8_MAX",
    "INT16_MAX", "INT32_MAX", "INT64_MAX", "UINT8_MAX", "UINT16_MAX",
    "UINT32_MAX", "UINT64_MAX", "INT_LEAST8_MIN", "INT_LEAST16_MIN",
    "INT_LEAST32_MIN", "INT_LEAST64_MIN", "INT_LEAST8_MAX", "INT_LEAST16_MAX",
    "INT_LEAST32_MAX", "INT_LEAST64_MAX", "UINT_LEAST8_MAX",
    "UINT_LEAST16_MAX", "UINT_LEAST32_MAX", "UINT_LEAST64_MAX",
    "INT_FAST8_MIN", "INT_FAST16_MIN", "INT_FAST32_MIN", "INT_FAST64_MIN",
    "INT_FAST8_MAX", "INT_FAST16_MAX", "INT_FAST32_MAX", "INT_FAST64_MAX",
    "UINT_FAST8_MAX", "UINT_FAST16_MAX", "UINT_FAST32_MAX", "UINT_FAST64_MAX",
    "INTPTR_MIN", "INTPTR_MAX", "UINTPTR_MAX", "INTMAX_MIN", "INTMAX_MAX",
    "UINTMAX_MAX", "PTRDIFF_MIN", "PTRDIFF_MAX", "SIG_ATOMIC_MIN",
    "SIG_ATOMIC_MAX", "SIZE_MAX", "WCHAR_MIN", "WCHAR_MAX", "WINT_MIN",
    "WINT_MAX", "INT8_C", "INT16_C", "INT32_C", "INT64_C", "UINT8_C",
    "UINT16_C", "UINT32_C", "UINT64_C", "INTMAX_C", "UINTMAX_C",
    // kiv.h
    "KIV_H", "KIV_VERSION", "KIV_LIB_API", "KivRunResult", "KivRunResult_OK",
    "KivRunResult_Complete", "KivRunResult_UnexpectedType",
    "KivRunResult_UndefinedAppFunction", "KivRunResult_OutOfDataMemory",
    "KivRunResult_Again", "KivAddCodeResult", "KivAddCodeResult_OK",
    "KivAddCodeResult_InvalidCheckValue", "KivDataEntry", "KivEngine",
    "KivParameterResult", "KivDispatchFunction", "KivAppSpec",
    "KivCodeReader", "KivDataEntrySize", "KivEngineVersion", "KivCodeVersion",
    "KivInitialize", "KivSealCode", "KivAddCode", "KivSeal",
    "KivSetCodePaging", "KivPageCode", "KivSetArguments", "KivStep",
    "KivReset", "KivProgramCounter", "KivLowFreeCount", "KivMaxDataSize",
    "KivCodePageReadCount", "KivParameterValue", "KivGroupParameterValue",
    "KivToString", "KivStringValue", "KivUnref", "KivCount", "KivElement",
    "KivFloatValue", "KivContext", "KivAgain",
};

const char* const kDispatchVariables[] = {
    "engine", "moduleSymbol", "functionSymbol", "ns", "returnValue",
};

const char* const kStandardLibraryFunctions[] = {
    // <assert.h>, <errno.h>, <setjmp.h>, <signal.h>, <stdarg.h>, <locale.h>
    "assert", "errno", "setjmp", "longjmp", "signal", "raise", "va_start",
    "va_arg", "va_end", "va_copy", "setlocale", "localeconv",
    // <ctype.h>, <wctype.h>
    "isalnum", "isalpha", "isblank", "iscntrl", "isdigit", "isgraph",
    "islower", "isprint", "ispunct", "isspace", "isupper", "isxdigit",
    "tolower", "toupper", "iswalnum", "iswalpha", "iswblank", "iswcntrl",
    "iswdigit", "iswgraph", "iswlower", "iswprint", "iswpunct", "iswspace",
    "iswupper", "iswxdigit", "iswctype", "wctype", "towlower", "towupper",
    "towctrans", "wctrans",
    // <stdio.h>
    "remove", "rename", "tmpfile", "tmpnam", "fclose", "fflush", "fopen",
    "freopen", "setbuf", "setvbuf", "fprintf", "fscanf", "printf", "scanf",
    "snprintf", "sprintf", "sscanf", "vfprintf", "vfscanf", "vprintf",
    "vscanf", "vsnprintf", "vsprintf", "vsscanf", "fgetc", "fgets", "fputc",
    "fputs", "getc", "getchar", "gets", "putc", "putchar", "puts", "ungetc",
    "fread", "fwrite", "fgetpos", "fseek", "fsetpos", "ftell", "rewind",
    "clearerr", "feof", "ferror", "perror",
    // <stdlib.h>
    "atof", "atoi", "atol", "atoll", "strtod", "strtof", "strtold", "strtol",
    "strtoll", "strtoul", "strtoull", "rand", "srand", "calloc", "free",
    "malloc", "realloc", "aligned_alloc", "abort", "atexit", "at_quick_exit",
    "exit", "_Exit", "quick_exit", "getenv", "system", "bsearch", "qsort",
    "abs", "labs", "llabs", "div", "ldiv", "lldiv", "mblen", "mbtowc",
    "wctomb", "mbstowcs", "wcstombs",
    // <string.h>
    "memcpy", "memmove", "strcpy", "strncpy", "strcat", "strncat", "memcmp",
    "strcmp", "strcoll", "strncmp", "strxfrm", "memchr", "strchr", "strcspn",
    "strpbrk", "strrchr", "strspn", "strstr", "strtok", "memset", "strerror",
    "strlen",
    // <time.h>
    "clock", "difftime", "mktime", "time", "asctime", "ctime", "gmtime",
    "localtime", "strftime", "timespec_get",
    // <inttypes.h>, <fenv.h>
    "imaxabs", "imaxdiv", "strtoimax", "strtoumax", "wcstoimax", "wcstoumax",
    "feclearexcept", "fegetexceptflag", "feraiseexcept", "fesetexceptflag",
    "fetestexcept", "fegetround", "fesetround", "fegetenv", "feholdexcept",
    "fesetenv", "feupdateenv",
    // <math.h>
    "acos", "acosf", "acosl", "asin", "asinf", "asinl", "atan", "atanf",
    "atanl", "atan2", "atan2f", "atan2l", "cos", "cosf", "cosl", "sin",
    "sinf", "sinl", "tan", "tanf", "tanl", "acosh", "acoshf", "acoshl",
    "asinh", "asinhf", "asinhl", "atanh", "atanhf", "atanhl", "cosh", "coshf",
    "coshl", "sinh", "sinhf", "sinhl", "tanh", "tanhf", "tanhl", "exp",
    "expf", "expl", "exp2", "exp2f", "exp2l", "expm1", "expm1f", "expm1l",
    "frexp", "frexpf", "frexpl", "ilogb", "ilogbf", "ilogbl", "ldexp",
    "ldexpf", "ldexpl", "log", "logf", "logl", "log10", "log10f", "log10l",
    "log1p", "log1pf", "log1pl", "log2", "log2f", "log2l", "logb", "logbf",
    "logbl", "modf", "modff", "modfl", "scalbn", "scalbnf", "scalbnl",
    "scalbln", "scalblnf", "scalblnl", "cbrt", "cbrtf", "cbrtl", "fabs",
    "fabsf", "fabsl", "hypot", "hypotf", "hypotl", "pow", "powf", "powl",
    "sqrt", "sqrtf", "sqrtl", "erf", "erff", "erfl", "erfc", "erfcf", "erfcl",
    "lgamma", "lgammaf", "lgammal", "tgamma", "tgammaf", "tgammal", "ceil",
    "ceilf", "ceill", "floor", "floorf", "floorl", "nearbyint", "nearbyintf",
    "nearbyintl", "rint", "rintf", "rintl", "lrint", "lrintf", "lrintl",
    "llrint", "llrintf", "llrintl", "round", "roundf", "roundl", "lround",
    "lroundf", "lroundl", "llround", "llroundf", "llroundl", "trunc",
    "truncf", "truncl", "fmod", "fmodf", "fmodl", "remainder", "remainderf",
    "remainderl", "remquo", "remquof", "remquol", "copysign", "copysignf",
    "copysignl", "nan", "nanf", "nanl", "nextafter", "nextafterf",
    "nextafterl", "nexttoward", "nexttowardf", "nexttowardl", "fdim", "fdimf",
    "fdiml", "fmax", "fmaxf", "fmaxl", "fmin", "fminf", "fminl", "fma",
    "fmaf", "fmal", "fpclassify", "isfinite", "isinf", "isnan", "isnormal",
    "signbit", "isgreater", "isgreaterequal", "isless", "islessequal",
    "islessgreater", "isunordered",
    // <complex.h>
    "cabs", "cabsf", "cabsl", "cacos", "cacosf", "cacosl", "cacosh",
    "cacoshf", "cacoshl", "carg", "cargf", "cargl", "casin", "casinf",
    "casinl", "casinh", "casinhf", "casinhl", "catan", "catanf", "catanl",
    "catanh", "catanhf", "catanhl", "ccos", "ccosf", "ccosl", "ccosh",
    "ccoshf", "ccoshl", "cexp", "cexpf", "cexpl", "cimag", "cimagf", "cimagl",
    "clog", "clogf", "clogl", "conj", "conjf", "conjl", "cpow", "cpowf",
    "cpowl", "cproj", "cprojf", "cprojl", "creal", "crealf", "creall", "csin",
    "csinf", "csinl", "csinh", "csinhf", "csinhl", "csqrt", "csqrtf",
    "csqrtl", "ctan", "ctanf", "ctanl", "ctanh", "ctanhf", "ctanhl",
    // <wchar.h>, <uchar.h>
    "fwprintf", "fwscanf", "swprintf", "swscanf", "vfwprintf", "vfwscanf",
    "vswprintf", "vswscanf", "vwprintf", "vwscanf", "wprintf", "wscanf",
    "fgetwc", "fgetws", "fputwc", "fputws", "fwide", "getwc", "getwchar",
    "putwc", "putwchar", "ungetwc", "wcstod", "wcstof", "wcstold", "wcstol",
    "wcstoll", "wcstoul", "wcstoull", "wcscpy", "wcsncpy", "wmemcpy",
    "wmemmove", "wcscat", "wcsncat", "wcscmp", "wcscoll", "wcsncmp",
    "wcsxfrm", "wmemcmp", "wcschr", "wcscspn", "wcspbrk", "wcsrchr", "wcsspn",
    "wcsstr", "wcstok", "wmemchr", "wcslen", "wmemset", "wcsftime", "btowc",
    "wctob", "mbsinit", "mbrlen", "mbrtowc", "wcrtomb", "mbsrtowcs",
    "wcsrtombs", "mbrtoc16", "c16rtomb", "mbrtoc32", "c32rtomb",
    // <threads.h>, <stdatomic.h>
    "call_once", "cnd_broadcast", "cnd_destroy", "cnd_init", "cnd_signal",
    "cnd_timedwait", "cnd_wait", "mtx_destroy", "mtx_init", "mtx_lock",
    "mtx_timedlock", "mtx_trylock", "mtx_unlock", "thrd_create",
    "thrd_current", "thrd_detach", "thrd_equal", "thrd_exit", "thrd_join",
    "thrd_sleep", "thrd_yield", "tss_create", "tss_delete", "tss_get",
    "tss_set", "atomic_init", "atomic_thread_fence", "atomic_signal_fence",
    "atomic_is_lock_free", "atomic_store", "atomic_load", "atomic_exchange",
    "atomic_compare_exchange_strong", "atomic_compare_exchange_weak",
    "atomic_fetch_add", "atomic_fetch_sub", "atomic_fetch_or",
    "atomic_fetch_xor", "atomic_fetch_and", "atomic_flag_test_and_set",
    "atomic_flag_clear",
};

const char* const kIncludedHeaderFiles[] = {
    "kiv.h", "kivd.h", "assert.h", "complex.h", "ctype.h", "errno.h",
    "fenv.h", "float.h", "inttypes.h", "iso646.h", "limits.h", "locale.h",
    "math.h", "setjmp.h", "signal.h", "stdalign.h", "stdarg.h", "stdatomic.h",
    "stdbool.h", "stddef.h", "stdint.h", "stdio.h", "stdlib.h",
    "stdnoreturn.h", "string.h", "tgmath.h", "threads.h", "time.h",
    "uchar.h", "wchar.h", "wctype.h",
};

template <size_t N>
NameSet MakeSet(const char* const (&names)[N]) {
  return NameSet(std::begin(names), std::end(names));
}

}  // namespace

bool IsCKeyword(std::string_view name) {
  static const NameSet names = MakeSet(kCKeywords);
  return names.count(name) != 0;
}

bool IsCxxKeyword(std::string_view name) {
  static const NameSet names = MakeSet(kCxxKeywords);
  return names.count(name) != 0;
}

bool IsDefinedByIncludedHeaders(std::string_view name) {
  static const NameSet names = MakeSet(kIncludedHeaderNames);
  return names.count(name) != 0;
}

bool IsDispatchVariable(std::string_view name) {
  static const NameSet names = MakeSet(kDispatchVariables);
  return names.count(name) != 0;
}

bool IsStandardLibraryFunction(std::string_view name) {
  static const NameSet names = MakeSet(kStandardLibraryFunctions);
  return names.count(name) != 0;
}

bool IsReservedToImplementation(std::string_view name) {
  return name.size() >= 2 && name[0] == '_' &&
         (name[1] == '_' || (name[1] >= 'A' && name[1] <= 'Z'));
}

bool IsIncludedHeaderName(std::string_view fileName) {
  static const NameSet names = MakeSet(kIncludedHeaderFiles);
  return names.count(fileName) != 0;
}

}  // namespace c_names

}  // namespace kivg
