// Sibling modules of the WLAN service that the library calls: the CLI module's
// Wi-Fi command entry (type-1020 messages).
#include <cstring>

#include "qz_platform.h"
#include "sim_internal.h"

extern "C" {

uint32_t WLAN_CLI_WifiCmdMsgProc(const void *msg, uint32_t type, uint32_t a3, uint32_t a4)
{
    uint32_t ret;
    if (qzsim::Faulted("WLAN_CLI_WifiCmdMsgProc", &ret)) return ret;
    if (msg == nullptr) return 1;
    // The CLI module's Wi-Fi commands are not part of this simulation; it
    // acknowledges the message so the forwarding can be seen and tested.
    std::string text =
        "wifi cmd msg type " + std::to_string(type) + " (" + std::to_string(a3) + ", " + std::to_string(a4) + ")\r\n";
    qzsim::ConsoleWrite(text.data(), text.size());
    return 0;
}

}  // extern "C"
