// The platform's JSON objects over nlohmann::json. A handle is the address of
// a JSON value: a root made by JsonNew, or a member inside one, valid as long
// as the root lives and the member is not replaced.
#include <cstring>
#include <limits>

#include "qz_platform.h"
#include "qz_sim_util.h"
#include "sim_internal.h"

using namespace qzsim;

namespace {

json *Object(void *handle, const char *key)
{
    auto *j = static_cast<json *>(handle);
    return (j != nullptr && key != nullptr && j->is_object()) ? j : nullptr;
}

// The member named key, or null with *ret set to the reason.
const json *Member(void *handle, const char *key, uint32_t *ret)
{
    json *obj = Object(handle, key);
    if (obj == nullptr) {
        *ret = kJsonBadArgument;
        return nullptr;
    }
    auto it = obj->find(key);
    if (it == obj->end()) {
        *ret = kJsonNoKey;
        return nullptr;
    }
    return &*it;
}

}  // namespace

namespace qzsim {

void *JsonNew(const json &value)
{
    return new json(value);
}

void JsonFree(void *handle)
{
    delete static_cast<json *>(handle);
}

json JsonValue(const void *handle)
{
    return handle != nullptr ? *static_cast<const json *>(handle) : json();
}

}  // namespace qzsim

extern "C" {

uint32_t JSON_ObjAddKeyValueInt(void *obj, const char *key, int32_t value)
{
    uint32_t ret;
    if (Faulted("JSON_ObjAddKeyValueInt", &ret)) return ret;
    json *j = Object(obj, key);
    if (j == nullptr) return kJsonBadArgument;
    (*j)[key] = value;
    return 0;
}

uint32_t JSON_ObjAddKeyValueString(void *obj, const char *key, const char *value)
{
    uint32_t ret;
    if (Faulted("JSON_ObjAddKeyValueString", &ret)) return ret;
    json *j = Object(obj, key);
    if (j == nullptr || value == nullptr) return kJsonBadArgument;
    (*j)[key] = value;
    return 0;
}

uint32_t JSON_ObjAddKeyValue(void *obj, const char *key, void *value)
{
    uint32_t ret;
    if (Faulted("JSON_ObjAddKeyValue", &ret)) return ret;
    json *j = Object(obj, key);
    if (j == nullptr || value == nullptr) return kJsonBadArgument;
    json copy = *static_cast<const json *>(value);  // the caller keeps its own object
    (*j)[key] = std::move(copy);
    return 0;
}

uint32_t JSON_ObjGetValueInt(void *obj, const char *key, int32_t *value)
{
    uint32_t ret;
    if (Faulted("JSON_ObjGetValueInt", &ret)) return ret;
    if (value == nullptr) return kJsonBadArgument;
    const json *m = Member(obj, key, &ret);
    if (m == nullptr) return ret;
    if (!m->is_number_integer()) return kJsonWrongType;
    if (m->is_number_unsigned() ? m->get<unsigned long long>() > std::numeric_limits<int32_t>::max()
                                : (m->get<long long>() < std::numeric_limits<int32_t>::min() ||
                                   m->get<long long>() > std::numeric_limits<int32_t>::max())) {
        return kJsonWrongType;
    }
    *value = static_cast<int32_t>(m->get<long long>());
    return 0;
}

uint32_t JSON_ObjGetValueString(void *obj, const char *key, char *value, uint32_t size)
{
    uint32_t ret;
    if (Faulted("JSON_ObjGetValueString", &ret)) return ret;
    if (value == nullptr || size == 0) return kJsonBadArgument;
    const json *m = Member(obj, key, &ret);
    if (m == nullptr) return ret;
    if (!m->is_string()) return kJsonWrongType;
    const std::string &text = m->get_ref<const std::string &>();
    if (text.size() >= size) {
        value[0] = '\0';
        return kJsonTooSmall;
    }
    memcpy(value, text.c_str(), text.size() + 1);
    return 0;
}

uint32_t JSON_ObjGetValueObj(void *obj, const char *key, void **value)
{
    uint32_t ret;
    if (Faulted("JSON_ObjGetValueObj", &ret)) return ret;
    if (value == nullptr) return kJsonBadArgument;
    const json *m = Member(obj, key, &ret);
    if (m == nullptr) return ret;
    if (!m->is_object()) return kJsonWrongType;
    *value = const_cast<json *>(m);
    return 0;
}

}  // extern "C"
