// Sibling modules of the WLAN service that the library calls or registers:
// the CLI module's Wi-Fi command entry (type-1020 messages), the AP debug
// handler ("debug ap") and the scene installer ("scen").
#include <cstring>
#include <mutex>
#include <strings.h>

#include "qz_platform.h"
#include "sim_internal.h"

namespace {

constexpr const char *kScenes[] = {"home", "office", "apartment", "villa"};
// "debug ap log" shows the newest watch lines only.
constexpr size_t kApDebugKept = 64;

struct Siblings {
    std::mutex mu;
    bool apDebug = false;
    bool sceneAuto = true;
    std::string scene = "home";
    std::vector<std::string> apDebugLog;
};

Siblings &Sib()
{
    static Siblings siblings;
    return siblings;
}

void ResetSiblings()
{
    std::lock_guard<std::mutex> lock(Sib().mu);
    Sib().apDebug = false;
    Sib().sceneAuto = true;
    Sib().scene = "home";
    Sib().apDebugLog.clear();
}
QZSIM_ON_RESET(ResetSiblings);

void Print(const std::string &text)
{
    qzsim::ConsoleWrite(text.data(), text.size());
}

bool Is(const char *word, const char *expected)
{
    return strcasecmp(word, expected) == 0;
}

bool KnownScene(const char *name)
{
    for (const char *scene : kScenes) {
        if (Is(name, scene)) return true;
    }
    return false;
}

std::string SceneText()
{
    return std::string("scene ") + Sib().scene + (Sib().sceneAuto ? " (auto)" : " (fixed)") + "\r\n";
}

}  // namespace

extern "C" {

uint32_t WLAN_CLI_WifiCmdMsgProc(const void *msg, uint32_t type, uint32_t a3, uint32_t a4)
{
    uint32_t ret;
    if (qzsim::Faulted("WLAN_CLI_WifiCmdMsgProc", &ret)) return ret;
    if (msg == nullptr) return 1;
    // The CLI module's Wi-Fi commands are not part of this simulation; it
    // acknowledges the message so the forwarding can be seen and tested.
    Print("wifi cmd msg type " + std::to_string(type) + " (" + std::to_string(a3) + ", " + std::to_string(a4) +
          ")\r\n");
    return 0;
}

// debug ap {on|off|log|bssid MAC staidx N}
uint32_t WLAN_CMD_ApDebug(uint32_t argc, char *argv[])
{
    uint32_t ret;
    if (qzsim::Faulted("WLAN_CMD_ApDebug", &ret)) return ret;
    if (!qzsim::WordsFit(argc, argv)) return 1;
    std::lock_guard<std::mutex> lock(Sib().mu);
    if (argc == 3 && (Is(argv[2], "on") || Is(argv[2], "off"))) {
        Sib().apDebug = Is(argv[2], "on");
        Print(std::string("ap debug ") + (Sib().apDebug ? "on" : "off") + "\r\n");
        return 0;
    }
    if (argc == 3 && Is(argv[2], "log")) {
        std::string text = std::string("ap debug is ") + (Sib().apDebug ? "on" : "off") + "\r\n";
        for (const std::string &line : Sib().apDebugLog) text += line + "\r\n";
        Print(text);
        return 0;
    }
    if (argc == 6 && Is(argv[2], "bssid") && Is(argv[4], "staidx")) {
        char *end = nullptr;
        unsigned long staIdx = strtoul(argv[5], &end, 10);
        if (*argv[5] == '\0' || *end != '\0') return 1;
        std::string line = std::string("watch bssid ") + argv[3] + " staidx " + std::to_string(staIdx);
        Sib().apDebugLog.push_back(line);
        if (Sib().apDebugLog.size() > kApDebugKept) Sib().apDebugLog.erase(Sib().apDebugLog.begin());
        Print(line + "\r\n");
        return 0;
    }
    return 1;
}

// scen help|get|auto|fix SCENE
uint32_t WLAN_CLI_InstallScene(uint32_t argc, char *argv[])
{
    uint32_t ret;
    if (qzsim::Faulted("WLAN_CLI_InstallScene", &ret)) return ret;
    if (!qzsim::WordsFit(argc, argv)) return 1;
    std::lock_guard<std::mutex> lock(Sib().mu);
    if (argc == 2 && Is(argv[1], "help")) {
        std::string text = "scenes:";
        for (const char *scene : kScenes) text += std::string(" ") + scene;
        Print(text + "\r\n");
        return 0;
    }
    if (argc == 2 && Is(argv[1], "get")) {
        Print(SceneText());
        return 0;
    }
    if (argc == 2 && Is(argv[1], "auto")) {
        Sib().sceneAuto = true;
        Print(SceneText());
        return 0;
    }
    if (argc == 3 && Is(argv[1], "fix") && KnownScene(argv[2])) {
        Sib().sceneAuto = false;
        Sib().scene = argv[2];
        for (char &c : Sib().scene) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        Print(SceneText());
        return 0;
    }
    return 1;
}

}  // extern "C"
