// The product profile: a JSON file whose top-level sections are parsed by the
// platform modules that own them. A profile is taken whole or not at all.
#include <fstream>
#include <map>
#include <mutex>

#include "sim_internal.h"

namespace qzsim {
namespace {

std::map<std::string, ProfileParser> &Sections()
{
    static std::map<std::string, ProfileParser> sections;
    return sections;
}

std::mutex &LoadMutex()
{
    static std::mutex mu;
    return mu;
}

std::string Join(const std::string &path, const std::string &key)
{
    return path.empty() ? key : path + "." + key;
}

void LoadDefaults()
{
    std::string error;
    (void)LoadProfileJson(json::object(), &error);
}
QZSIM_ON_RESET(LoadDefaults);

}  // namespace

void RegisterProfileSection(const std::string &key, ProfileParser parser)
{
    Sections()[key] = std::move(parser);
}

bool LoadProfileJson(const json &profile, std::string *error)
{
    if (!profile.is_object()) {
        *error = "profile: must be a JSON object";
        return false;
    }
    for (auto it = profile.begin(); it != profile.end(); ++it) {
        if (Sections().count(it.key()) == 0) {
            *error = it.key() + ": unknown key";
            return false;
        }
    }
    std::vector<ProfileApply> applies;
    for (auto &section : Sections()) {
        auto found = profile.find(section.first);
        const json *value = found == profile.end() ? nullptr : &*found;
        ProfileApply apply;
        if (!section.second(value, &apply, error)) return false;
        if (apply) applies.push_back(std::move(apply));
    }
    std::lock_guard<std::mutex> lock(LoadMutex());
    for (auto &apply : applies) apply();
    return true;
}

bool LoadProfileFile(const std::string &file, std::string *error)
{
    std::ifstream in(file);
    if (!in) {
        *error = "cannot read profile " + file;
        return false;
    }
    json profile = json::parse(in, nullptr, false, true);
    if (profile.is_discarded()) {
        *error = file + ": not valid JSON";
        return false;
    }
    if (!LoadProfileJson(profile, error)) {
        *error = file + ": " + *error;
        return false;
    }
    return true;
}

bool CheckKeys(const json &object, const std::vector<std::string> &allowed, const std::string &path, std::string *error)
{
    if (!object.is_object()) {
        *error = path + ": must be an object";
        return false;
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const auto &key : allowed) known = known || key == it.key();
        if (!known) {
            *error = Join(path, it.key()) + ": unknown key";
            return false;
        }
    }
    return true;
}

bool ReadInt(const json &object, const std::string &key, long long min, long long max, long long *out,
             const std::string &path, std::string *error)
{
    auto it = object.find(key);
    if (it == object.end()) return true;
    if (!it->is_number_integer()) {
        *error = Join(path, key) + ": must be an integer";
        return false;
    }
    bool tooBig = it->is_number_unsigned() && it->get<unsigned long long>() > static_cast<unsigned long long>(max);
    long long v = tooBig ? max : it->get<long long>();
    if (tooBig || v < min || v > max) {
        *error = Join(path, key) + ": out of range [" + std::to_string(min) + ", " + std::to_string(max) + "]";
        return false;
    }
    *out = v;
    return true;
}

bool ReadString(const json &object, const std::string &key, std::string *out, const std::string &path,
                std::string *error)
{
    auto it = object.find(key);
    if (it == object.end()) return true;
    if (!it->is_string()) {
        *error = Join(path, key) + ": must be a string";
        return false;
    }
    *out = it->get<std::string>();
    return true;
}

bool ReadBool(const json &object, const std::string &key, bool *out, const std::string &path, std::string *error)
{
    auto it = object.find(key);
    if (it == object.end()) return true;
    if (!it->is_boolean()) {
        *error = Join(path, key) + ": must be true or false";
        return false;
    }
    *out = it->get<bool>();
    return true;
}

}  // namespace qzsim
