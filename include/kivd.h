/* Interface of the Kiv source-info library: translates program counters to
 * source locations, symbol numbers to names and result codes to text, using
 * the source-info file (*.kivd) that belongs to a script executable. */
#ifndef KIVD_H
#define KIVD_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A loaded source-info file; owned by the caller from load to unload. */
typedef struct KivSourceInfo KivSourceInfo;

typedef struct KivSourceLocation {
  const char *fileName; /* null: no source for the program counter */
  uint32_t line;
  uint32_t column;
} KivSourceLocation;

/* Null on failure; errno then holds the system error, or 0 when the file
 * was read but its content rejected. */
KivSourceInfo *KivLoadSourceInfoFromFile(const char *fileName);
void KivUnloadSourceInfo(KivSourceInfo *info);

KivSourceLocation KivGetSourceLocation(KivSourceInfo *info,
                                       uint32_t programCounter);
/* Null past the last file. */
const char *KivGetSourceFileName(KivSourceInfo *info, uint32_t index);
/* Null when the file holds no names; empty when it has none for symbol. */
const char *KivGetSymbolName(KivSourceInfo *info, int32_t symbol);

const char *KivRunResultToString(int32_t result);
const char *KivAddCodeResultToString(int32_t result);

#ifdef __cplusplus
}
#endif

#endif /* KIVD_H */
