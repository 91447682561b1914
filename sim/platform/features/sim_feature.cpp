// Feature service (answers per feature name from the profile) and the event
// centre (subscriptions; events delivered on the caller's thread, or on the
// event thread once it runs).
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "qz_platform.h"
#include "sim_internal.h"

using namespace qzsim;

namespace {

constexpr uint32_t kFeatureEvent = 4343;

struct Features {
    std::mutex mu;
    std::map<std::string, int32_t> answers;
    std::map<std::string, size_t> queries;                 // since the last Reset()
    std::function<void(const std::string &)> afterAnswer;  // once, see qzsim::AfterNextFeatureAnswer
};

Features &F()
{
    static Features features;
    return features;
}

bool ParseFeatures(const json *value, ProfileApply *apply, std::string *error)
{
    std::map<std::string, int32_t> answers;
    if (value != nullptr) {
        if (!value->is_object()) {
            *error = "features: must be an object of name: integer";
            return false;
        }
        for (auto it = value->begin(); it != value->end(); ++it) {
            long long v = 0;
            if (!ReadInt(*value, it.key(), INT32_MIN, INT32_MAX, &v, "features", error)) return false;
            answers[it.key()] = static_cast<int32_t>(v);
        }
    }
    *apply = [answers] {
        std::lock_guard<std::mutex> lock(F().mu);
        F().answers = answers;
    };
    return true;
}
QZSIM_PROFILE_SECTION("features", ParseFeatures);

struct Event {
    uint32_t number;
    std::string data;
};

struct Events {
    std::mutex mu;
    std::condition_variable cv;
    std::map<uint32_t, std::vector<EVENT_CALLBACK>> subscribers;
    std::deque<Event> queue;
    size_t inFlight = 0;
    bool threaded = false;
    bool stop = false;
    std::thread thread;
};

Events &E()
{
    static Events events;
    return events;
}

void Deliver(const Event &event)
{
    std::vector<EVENT_CALLBACK> callbacks;
    {
        std::lock_guard<std::mutex> lock(E().mu);
        auto it = E().subscribers.find(event.number);
        if (it != E().subscribers.end()) callbacks = it->second;
    }
    for (auto cb : callbacks) (void)cb(event.data.data(), static_cast<uint32_t>(event.data.size()));
}

void EventLoop()
{
    std::unique_lock<std::mutex> lock(E().mu);
    while (true) {
        E().cv.wait(lock, [] { return E().stop || !E().queue.empty(); });
        if (E().queue.empty()) break;  // stopping, nothing left
        Event event = std::move(E().queue.front());
        E().queue.pop_front();
        E().inFlight++;
        lock.unlock();
        Deliver(event);
        lock.lock();
        E().inFlight--;
        E().cv.notify_all();
    }
}

void ResetQueries()
{
    std::lock_guard<std::mutex> lock(F().mu);
    F().queries.clear();
    F().afterAnswer = nullptr;
}
QZSIM_ON_RESET(ResetQueries);

void ResetEvents()
{
    StopEventThread();
    std::lock_guard<std::mutex> lock(E().mu);
    E().subscribers.clear();
    E().queue.clear();
}
QZSIM_ON_RESET(ResetEvents);

}  // namespace

namespace qzsim {

void SetFeature(const std::string &name, int32_t value)
{
    std::lock_guard<std::mutex> lock(F().mu);
    F().answers[name] = value;
}

size_t FeatureQueries(const std::string &name)
{
    std::lock_guard<std::mutex> lock(F().mu);
    auto it = F().queries.find(name);
    return it == F().queries.end() ? 0 : it->second;
}

void ChangeFeature(const std::string &name, int32_t value)
{
    SetFeature(name, value);
    // The event carries the name with its terminating NUL.
    (void)EventCenter_GlobalInvokeEvent2(kFeatureEvent, name.c_str(), static_cast<uint32_t>(name.size() + 1));
}

void AfterNextFeatureAnswer(std::function<void(const std::string &)> hook)
{
    std::lock_guard<std::mutex> lock(F().mu);
    F().afterAnswer = std::move(hook);
}

void StartEventThread()
{
    StopEventThread();
    std::lock_guard<std::mutex> lock(E().mu);
    E().stop = false;
    E().threaded = true;
    E().thread = std::thread(EventLoop);
}

void StopEventThread()
{
    {
        std::lock_guard<std::mutex> lock(E().mu);
        E().stop = true;
        E().threaded = false;
    }
    E().cv.notify_all();
    if (E().thread.joinable()) E().thread.join();
}

void FlushEvents()
{
    std::unique_lock<std::mutex> lock(E().mu);
    E().cv.wait(lock, [] { return !E().threaded || (E().queue.empty() && E().inFlight == 0); });
}

}  // namespace qzsim

extern "C" {

int32_t QZ_Feature_IsSupportByFeatureName(const char *name)
{
    int32_t ret;
    if (Faulted("QZ_Feature_IsSupportByFeatureName", &ret)) return ret;
    if (name == nullptr) return 0;
    std::function<void(const std::string &)> after;
    int32_t answer = 0;
    {
        std::lock_guard<std::mutex> lock(F().mu);
        F().queries[name]++;
        auto it = F().answers.find(name);
        answer = it == F().answers.end() ? 0 : it->second;
        after.swap(F().afterAnswer);
    }
    if (after) after(name);
    return answer;
}

uint32_t EventCenter_SubscribeEvent(uint32_t event, EVENT_CALLBACK callback)
{
    uint32_t ret;
    if (Faulted("EventCenter_SubscribeEvent", &ret)) return ret;
    if (callback == nullptr) return 1;
    std::lock_guard<std::mutex> lock(E().mu);
    E().subscribers[event].push_back(callback);
    return 0;
}

uint32_t EventCenter_GlobalInvokeEvent2(uint32_t event, const void *data, uint32_t len)
{
    uint32_t ret;
    if (Faulted("EventCenter_GlobalInvokeEvent2", &ret)) return ret;
    Event ev{event, std::string(static_cast<const char *>(data ? data : ""), data ? len : 0)};
    {
        std::lock_guard<std::mutex> lock(E().mu);
        if (E().threaded) {
            E().queue.push_back(std::move(ev));
            E().cv.notify_all();
            return 0;
        }
    }
    Deliver(ev);
    return 0;
}

}  // extern "C"
