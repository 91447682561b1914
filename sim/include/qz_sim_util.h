// Control API of the simulated platform's utility services: the random source
// behind OS_GetRandomEx and JSON objects for the JSON_Obj* calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include <nlohmann/json.hpp>

namespace qzsim {

// Answers of the JSON_Obj* calls besides 0.
enum JsonResult : uint32_t {
    kJsonBadArgument = 1,  // a missing argument, or the handle is no object
    kJsonNoKey = 2,        // no member of that name
    kJsonWrongType = 3,    // the member holds another type
    kJsonTooSmall = 4,     // the text does not fit the destination
};

// The source behind OS_GetRandomEx; an empty function goes back to the
// kernel's getrandom (as Reset() does).
using RandomSource = std::function<void(uint8_t *buf, size_t len)>;
void SetRandomSource(RandomSource source);
// A seeded source: the same seed gives the same bytes, on every target.
void SeedRandom(uint64_t seed);

// A JSON object handle owned by the caller (free it with JsonFree); member
// handles that JSON_ObjGetValueObj gives stay valid as long as their root.
void *JsonNew(const nlohmann::json &value = nlohmann::json::object());
void JsonFree(void *handle);
nlohmann::json JsonValue(const void *handle);

}  // namespace qzsim
