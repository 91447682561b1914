/*
 * Product answers asked of the platform once and kept in a signed word. The
 * helpers report nothing: asking the feature service cannot fail.
 */
#ifndef WLAN_ANSWER_CACHE_H
#define WLAN_ANSWER_CACHE_H

#include <stdint.h>

#include <atomic>

#include "qz_platform.h"

/* The value of an answer word before the platform has been asked. */
#define WLAN_NOT_ASKED (-1)

/* Answer words are read on every thread (and the feature words rewritten on
 * the event thread); relaxed atomics keep that race-free while a read stays
 * one plain load. */
using WlanAnswerWord = std::atomic<int32_t>;
static_assert(WlanAnswerWord::is_always_lock_free, "an answer word must be a plain 32-bit word");

/* The miss path, out of line so that every caller's hit path is a load, a
 * comparison and a return. The answer only fills a word still unasked: one a
 * refresh filled meanwhile keeps the refresh's newer answer. */
[[gnu::noinline]] inline uint32_t WLAN_AskFeature(WlanAnswerWord &word, const char *name)
{
    int32_t answer = QZ_Feature_IsSupportByFeatureName(name);
    int32_t unasked = WLAN_NOT_ASKED;
    (void)word.compare_exchange_strong(unasked, answer, std::memory_order_relaxed);
    return answer == 1 ? 1u : 0u;
}

/* 1 when the feature service answers exactly 1 for name, asked on the first
 * call only. Any answer is kept as it came; -1 leaves the word unasked, so
 * the next call asks again. */
[[gnu::always_inline]] inline uint32_t WLAN_FeatureOnce(WlanAnswerWord &word, const char *name)
{
    int32_t cached = word.load(std::memory_order_relaxed);
    if (cached != WLAN_NOT_ASKED) {
        return cached == 1 ? 1u : 0u;
    }
    return WLAN_AskFeature(word, name);
}

#endif /* WLAN_ANSWER_CACHE_H */
