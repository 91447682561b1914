/* A C service using the library through its public headers, phase by phase:
 * start-up, a CLI record dispatched, a ring written and shown, a feature
 * event, a few utilities. It compiles as C99 and links the shared library
 * with the simulated platform, whose console it reads back. */
#define _POSIX_C_SOURCE 200809L /* mkdtemp */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "qz_sim_capture.h"
#include "qz_wlan_airinterface.h"
#include "qz_wlan_common.h"
#include "qz_wlan_feature.h"
#include "qz_wlan_log.h"
#include "qz_wlan_query.h"
#include "qz_wlan_roam_topo.h"
#include "qz_wlan_shell.h"
#include "qz_wlan_util.h"
#include "qz_wlan_version.h"

/* The version macros are usable in preprocessor conditions. */
#if QZ_WLAN_BASE_VERSION_MAJOR != 1
#error "version 1 expected"
#endif

static int g_failures = 0;

#define CHECK(cond)                                                    \
    do {                                                               \
        if (!(cond)) {                                                 \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #cond); \
            g_failures++;                                              \
        }                                                              \
    } while (0)

static char g_console[4096];
static char g_root[] = "/tmp/qz_c_service.XXXXXX";

/* Sends one command line the way the CLI front end does: a message record
 * with the words in their fixed slots. Answers the console text. */
static const char *Dispatch(const char *line)
{
    static unsigned char msg[WLAN_CLI_MSG_SIZE];
    char words[128];
    char *word;
    uint32_t type = WLAN_CLI_MSG_TYPE_WLANCMD, count = 0;
    memset(msg, 0, sizeof(msg));
    strncpy(words, line, sizeof(words) - 1);
    words[sizeof(words) - 1] = '\0';
    for (word = strtok(words, " "); word != NULL && count < WLAN_DBG_KEYWORD_SLOTS; word = strtok(NULL, " ")) {
        strncpy((char *)msg + WLAN_CLI_MSG_WORDS_OFFSET + count++ * WLAN_DBG_KEYWORD_LEN, word,
                WLAN_DBG_KEYWORD_LEN - 1);
    }
    memcpy(msg + WLAN_CLI_MSG_TYPE_OFFSET, &type, sizeof(type));
    memcpy(msg + WLAN_CLI_MSG_COUNT_OFFSET, &count, sizeof(count));
    (void)QZSIM_TakeConsole(NULL, 0);
    CHECK(WLAN_CliMsgProc(msg, 0, 0, 0) == 0);
    (void)QZSIM_TakeConsole(g_console, sizeof(g_console));
    return g_console;
}

static void StartUp(void)
{
    CHECK(mkdtemp(g_root) != NULL && QZSIM_SetRoot(g_root) == 0);
    QZSIM_Reset();
    QZSIM_CaptureConsole(1);
    /* The order the host uses: the rings before anything writes to them. */
    CHECK(WLAN_CMD_LogInit() == 0);
    CHECK(WLAN_DBG_CmdInit() == 0);
    CHECK(WLAN_FT_Init() == 0);
    CHECK(WLAN_InitAirInterface() == 0);
    WLAN_FITAP_Init(0);
    WLAN_SetOwnAPInst(3);
    CHECK(QZSIM_LastWordCount() == 0);
}

static void CommandLine(void)
{
    CHECK(strstr(Dispatch("?"), "wlancmd show topo: get topo info.\r\n") != NULL);
    CHECK(strcmp(Dispatch("show nothing"), "Can't find this command.\r\n\r\n") == 0);
    CHECK(strcmp(Dispatch("clear log"), "\r\nwlancmd clear log success\r\n") == 0);
}

static void Ring(void)
{
    const char *out;
    WLAN_LOG_SaveWlanLog(WLAN_CMD_APLEDLOG_TblGet(), "led %s", "blink");
    out = Dispatch("show apledlog");
    /* One time-stamped record, then the handler's own line. */
    CHECK(strncmp(out, "\r\n[", 3) == 0);
    CHECK(strstr(out, "]led blink\r\nwlancmd show apledlog success!\r\n") != NULL);
}

static void FeatureEvent(void)
{
    /* Cached until the product changes it: the event refreshes the answer. */
    QZSIM_ChangeFeature("QZ_FEATURE_ZQ", 0);
    CHECK(WLAN_FT_QZ_FEATURE_ZQ(0) == 0);
    QZSIM_ChangeFeature("QZ_FEATURE_ZQ", 1);
    CHECK(WLAN_FT_QZ_FEATURE_ZQ(0) == 1);
}

static void Utilities(void)
{
    char pwd[16];
    CHECK(WLAN_GetMinNum(0xFFFFFFFFu, 1u) == 1u);
    CHECK(WLAN_EndWithZip("a.zip") == 1u && WLAN_EndWithZip("a.tar") == 0u);
    CHECK(WLAN_GetRadioInstByType("5g") == 2);
    CHECK(WLAN_GenerateRandPwd(12, pwd, sizeof(pwd)) == 0 && strlen(pwd) == 12);
    CHECK(strcmp(QZ_WLAN_BASE_SONAME, "libqz_wlan_base.so.1") == 0);
}

int main(void)
{
    StartUp();
    CommandLine();
    Ring();
    FeatureEvent();
    Utilities();
    CHECK(QZSIM_LastWordCount() == 0);
    {
        char rm[64];
        sprintf(rm, "rm -rf %s", g_root);
        CHECK(system(rm) == 0);
    }
    return g_failures == 0 ? 0 : 1;
}
