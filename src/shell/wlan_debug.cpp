// Command table, registration, matching, dispatch and help of the wlancmd shell.
#define WLAN_UNIT_NAME "wlan_debug"
#include "qz_wlan_shell.h"

#include <string.h>

#include "wlan_internal.h"

static_assert(sizeof(WLAN_DBG_CMD_ENTRY::keywords) == 8 * 48, "keyword slots");
static_assert(offsetof(WLAN_DBG_CMD_TABLE, capacity) == 4, "table layout");
// The CLI message is read as bytes: type at 36, word count at 88, then eight
// 48-byte word slots from 92 (476 bytes in all).
static_assert(WLAN_CLI_MSG_TYPE_OFFSET == 36 && WLAN_CLI_MSG_COUNT_OFFSET == 88 && WLAN_CLI_MSG_WORDS_OFFSET == 92 &&
                  WLAN_CLI_MSG_COUNT_OFFSET + sizeof(uint32_t) == WLAN_CLI_MSG_WORDS_OFFSET && WLAN_CLI_MSG_SIZE == 476,
              "CLI message layout");

WLAN_DBG_CMD_TABLE g_stCmdTable;

namespace {

constexpr uint32_t kKeywordLen = WLAN_DBG_KEYWORD_LEN;
constexpr uint32_t kWordsPassed = WLAN_DBG_KEYWORD_SLOTS;

// Copies a keyword into its slot; the bounded copy's code on failure.
int CopyKeyword(WLAN_DBG_CMD_ENTRY *entry, uint32_t slot, const char *word)
{
    return strcpy_s(entry->keywords[slot], kKeywordLen, word);
}

bool SlotMatches(const char *typed, const char *registered)
{
    return registered[0] == '\0' || QZ_OS_StrNCmp(typed, registered, kKeywordLen) == 0;
}

// The typed words of a line laid out as an entry. The counted copy reads at
// most 48 bytes of a word, so a word without a NUL inside its slot fails like
// one of 48 characters or more, and nothing past the slot is read.
bool BuildTypedEntry(uint32_t argc, char *argv[], WLAN_DBG_CMD_ENTRY *typed)
{
    uint32_t words = argc < WLAN_DBG_MATCHED_SLOTS ? argc : WLAN_DBG_MATCHED_SLOTS;
    for (uint32_t i = 0; i < words; i++) {
        const char *word = argv[i];
        if (word == nullptr) {
            WLAN_LAST_WORD(1, i, argc);
            return false;
        }
        int ret = strncpy_s(typed->keywords[i], kKeywordLen, word, kKeywordLen);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, i, argc);
            return false;
        }
    }
    return true;
}

}  // namespace

uint32_t WLAN_DBG_CmdInit(void)
{
    (void)memset_s(&g_stCmdTable, sizeof(g_stCmdTable), 0, sizeof(g_stCmdTable));
    auto *block = static_cast<WLAN_DBG_CMD_ENTRY *>(WLAN_MALLOC(WLAN_DBG_CMD_MAX * sizeof(WLAN_DBG_CMD_ENTRY)));
    if (block == nullptr) {
        WLAN_LAST_WORD(1, WLAN_DBG_CMD_MAX, 0);
        return 1;
    }
    g_stCmdTable.count = 0;
    g_stCmdTable.capacity = WLAN_DBG_CMD_MAX;
    g_stCmdTable.entries = block;
    // A refused entry is reported by the installer; start-up goes on.
    (void)WLAN_DBG_CmdInstall();
    return 0;
}

uint32_t WLAN_DBG_RegCmd(const char *k1, const char *k2, const char *k3, const char *k4, const char *help,
                         WLAN_DBG_CMD_HANDLER handler)
{
    if (k1 == nullptr || handler == nullptr) {
        WLAN_LAST_WORD(1, k1 == nullptr, handler == nullptr);
        return 1;
    }
    // Without an entry block (failed creation) nothing can be registered.
    if (g_stCmdTable.count >= WLAN_DBG_CMD_MAX || g_stCmdTable.entries == nullptr) {
        WLAN_LAST_WORD(1, g_stCmdTable.count, WLAN_DBG_CMD_MAX);
        return 1;
    }
    WLAN_DBG_CMD_ENTRY entry;
    memset(&entry, 0, sizeof(entry));
    const char *keywords[WLAN_DBG_MATCHED_SLOTS] = {k1, k2, k3, k4};
    for (uint32_t slot = 0; slot < WLAN_DBG_MATCHED_SLOTS; slot++) {
        if (keywords[slot] == nullptr) {
            continue;
        }
        int ret = CopyKeyword(&entry, slot, keywords[slot]);
        if (ret != 0) {
            WLAN_LAST_WORD(ret, slot, 0);
            return 1;
        }
    }
    entry.helpText = help;
    entry.handler = handler;
    g_stCmdTable.entries[g_stCmdTable.count] = entry;
    g_stCmdTable.count++;
    return 0;
}

uint32_t WLAN_DBG_CmdCheck(const WLAN_DBG_CMD_ENTRY *typed, const WLAN_DBG_CMD_ENTRY *registered)
{
    for (uint32_t slot = 0; slot < WLAN_DBG_MATCHED_SLOTS; slot++) {
        if (!SlotMatches(typed->keywords[slot], registered->keywords[slot])) {
            return 0;
        }
    }
    return 1;
}

void WLAN_DBG_CmdProc(uint32_t argc, char *argv[])
{
    WLAN_DBG_CMD_ENTRY typed;
    memset(&typed, 0, sizeof(typed));
    if (!BuildTypedEntry(argc, argv, &typed)) {
        return;
    }
    const WLAN_DBG_CMD_ENTRY *found = nullptr;
    for (uint32_t i = 0; i < g_stCmdTable.count; i++) {
        if (WLAN_DBG_CmdCheck(&typed, &g_stCmdTable.entries[i]) == 1) {
            found = &g_stCmdTable.entries[i];
            break;
        }
    }
    if (found == nullptr) {
        WLAN_CONSOLE("Can't find this command.\r\n\r\n");
        return;
    }
    WLAN_DBG_CMD_HANDLER handler = found->handler;
    const char *help = found->helpText;
    if (handler == nullptr) {
        WLAN_LAST_WORD(0xF7603002u, 0, 0);
        WLAN_CONSOLE("No function to execute this command.\r\n\r\n");
        return;
    }
    if (handler(argc, argv) != 0 && help != nullptr) {
        WLAN_CONSOLE("\r\n[Usage]:%s\r\n", help);
    }
}

uint32_t WLAN_DBG_HelpCmd(uint32_t argc, char *argv[])
{
    (void)argc;
    (void)argv;
    WLAN_CONSOLE("\r\n---------------- Help --------------\r\n");
    for (uint32_t i = 0; i < g_stCmdTable.count; i++) {
        if (g_stCmdTable.entries[i].helpText != nullptr) {
            WLAN_CONSOLE("[Usage]:%s\r\n\r\n", g_stCmdTable.entries[i].helpText);
        }
    }
    return 0;
}

uint32_t WLAN_CliMsgProc(const void *msg, uint32_t ignored, uint32_t a3, uint32_t a4)
{
    (void)ignored;
    if (msg == nullptr) {
        WLAN_LAST_WORD(1, 0, 0);
        return 0;
    }
    const auto *bytes = static_cast<const unsigned char *>(msg);
    uint32_t type;
    memcpy(&type, bytes + WLAN_CLI_MSG_TYPE_OFFSET, sizeof(type));
    if (type == WLAN_CLI_MSG_TYPE_WIFICMD) {
        // Forwarded: the CLI module answers for itself.
        (void)WLAN_CLI_WifiCmdMsgProc(msg, WLAN_CLI_MSG_TYPE_WIFICMD, a3, a4);
    } else if (type == WLAN_CLI_MSG_TYPE_WLANCMD) {
        uint32_t argc;
        memcpy(&argc, bytes + WLAN_CLI_MSG_COUNT_OFFSET, sizeof(argc));
        char *argv[kWordsPassed];
        for (uint32_t i = 0; i < kWordsPassed; i++) {
            // The message is the host's; the shell never writes to the words.
            argv[i] = const_cast<char *>(
                reinterpret_cast<const char *>(bytes + WLAN_CLI_MSG_WORDS_OFFSET + i * WLAN_DBG_KEYWORD_LEN));
        }
        WLAN_DBG_CmdProc(argc, argv);
    }
    return 0;
}
