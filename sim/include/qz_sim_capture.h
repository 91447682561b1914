/* The simulated platform as a C program sees it: a sandbox root, the debug
 * console's text, the product's feature answers and the last-word count.
 * Everything else stays with the C++ interface of qz_sim.h. */
#ifndef QZ_SIM_CAPTURE_H
#define QZ_SIM_CAPTURE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Every absolute path the library uses is taken below dir (created when
 * missing). 0, or -1 when the directory cannot be used. */
int QZSIM_SetRoot(const char *dir);
/* Back to a fresh platform (the root stays). */
void QZSIM_Reset(void);
/* Non-zero: the debug console's text collects for QZSIM_TakeConsole instead
 * of going to standard output. */
void QZSIM_CaptureConsole(int on);
/* Moves the collected text into buf (terminated, cut to size - 1 bytes) and
 * empties the collection; answers the length of the whole text. */
size_t QZSIM_TakeConsole(char *buf, size_t size);
/* Changes the feature service's answer for name and raises the feature event
 * with it, as a product change does. */
void QZSIM_ChangeFeature(const char *name, int32_t value);
/* Last words recorded since the last reset. */
size_t QZSIM_LastWordCount(void);
/* From now on, strcpy_s refuses the source text given (as too long), so a
 * caller's copy of one known text fails; null lifts the refusal. */
void QZSIM_RefuseCopyOf(const char *text);

#ifdef __cplusplus
}
#endif

#endif
