/* The engine library functions that the built-in app specs route script
 * calls to. Each takes the engine, one value per parameter (a tuple group
 * arrives as its tuple) and the place for the return value, where it stores a
 * new reference. The stand-in computes the numeric, conversion and text ones;
 * the rest answer that the stand-in does not support them. */
#ifndef KIV_STANDIN_LIBRARY_FUNCTIONS_H
#define KIV_STANDIN_LIBRARY_FUNCTIONS_H

#include "include/kiv.h"

#ifdef __cplusplus
extern "C" {
#endif

#define KIV_STANDIN_LIB1(name) \
  KivRunResult KivLib_##name(KivEngine *, KivDataEntry *, KivDataEntry **)
#define KIV_STANDIN_LIB2(name)                                            \
  KivRunResult KivLib_##name(KivEngine *, KivDataEntry *, KivDataEntry *, \
                             KivDataEntry **)
#define KIV_STANDIN_LIB3(name)                                            \
  KivRunResult KivLib_##name(KivEngine *, KivDataEntry *, KivDataEntry *, \
                             KivDataEntry *, KivDataEntry **)

KivRunResult KivLib_module(KivEngine *, KivDataEntry **);

KIV_STANDIN_LIB1(abs);
KIV_STANDIN_LIB1(acos);
KIV_STANDIN_LIB1(acosh);
KIV_STANDIN_LIB1(asin);
KIV_STANDIN_LIB1(asinh);
KIV_STANDIN_LIB1(atan);
KIV_STANDIN_LIB1(atanh);
KIV_STANDIN_LIB1(bool);
KIV_STANDIN_LIB1(ceil);
KIV_STANDIN_LIB1(class_init);
KIV_STANDIN_LIB1(cos);
KIV_STANDIN_LIB1(cosh);
KIV_STANDIN_LIB1(del_at);
KIV_STANDIN_LIB1(exists);
KIV_STANDIN_LIB1(exit);
KIV_STANDIN_LIB1(exp);
KIV_STANDIN_LIB1(float);
KIV_STANDIN_LIB1(floor);
KIV_STANDIN_LIB1(id);
KIV_STANDIN_LIB1(iter);
KIV_STANDIN_LIB1(iterable);
KIV_STANDIN_LIB1(len);
KIV_STANDIN_LIB1(list);
KIV_STANDIN_LIB1(log10);
KIV_STANDIN_LIB1(range_values);
KIV_STANDIN_LIB1(repr);
KIV_STANDIN_LIB1(reversed);
KIV_STANDIN_LIB1(round);
KIV_STANDIN_LIB1(sin);
KIV_STANDIN_LIB1(sinh);
KIV_STANDIN_LIB1(str);
KIV_STANDIN_LIB1(tan);
KIV_STANDIN_LIB1(tanh);
KIV_STANDIN_LIB1(tuple);
KIV_STANDIN_LIB1(type);

KIV_STANDIN_LIB2(at);
KIV_STANDIN_LIB2(atan2);
KIV_STANDIN_LIB2(classmethod_init);
KIV_STANDIN_LIB2(hypot);
KIV_STANDIN_LIB2(isinstance);
KIV_STANDIN_LIB2(issubclass);
KIV_STANDIN_LIB2(key);
KIV_STANDIN_LIB2(log);
KIV_STANDIN_LIB2(next);
KIV_STANDIN_LIB2(staticmethod_init);
KIV_STANDIN_LIB2(super);

KIV_STANDIN_LIB3(classmethod_get);
KIV_STANDIN_LIB3(int);
KIV_STANDIN_LIB3(staticmethod_get);

#undef KIV_STANDIN_LIB1
#undef KIV_STANDIN_LIB2
#undef KIV_STANDIN_LIB3

#ifdef __cplusplus
}
#endif

#endif /* KIV_STANDIN_LIBRARY_FUNCTIONS_H */
