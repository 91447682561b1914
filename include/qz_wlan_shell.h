/*
 * The wlancmd engineering shell: command table, registration, dispatch, help
 * and the CLI message entry point.
 *
 * A command entry holds up to four keywords (slots of 48 bytes, at most 47
 * characters each); an empty slot is a wildcard. Dispatch runs the first
 * registered entry whose keywords all match the first words of the line.
 * The shell is not re-entrant: the host delivers messages one at a time.
 */
#ifndef QZ_WLAN_SHELL_H
#define QZ_WLAN_SHELL_H

#include "qz_wlan_common.h"

QZ_WLAN_EXTERN_C_BEGIN

#define WLAN_DBG_KEYWORD_SLOTS 8u
#define WLAN_DBG_KEYWORD_LEN 48u
#define WLAN_DBG_MATCHED_SLOTS 4u
/* Entries of the command table: the whole catalogue fits. */
#define WLAN_DBG_CMD_MAX 32u

/* CLI message record: offsets from its start, native byte order. */
#define WLAN_CLI_MSG_TYPE_OFFSET 36u
#define WLAN_CLI_MSG_COUNT_OFFSET 88u
#define WLAN_CLI_MSG_WORDS_OFFSET 92u
#define WLAN_CLI_MSG_SIZE (WLAN_CLI_MSG_WORDS_OFFSET + WLAN_DBG_KEYWORD_SLOTS * WLAN_DBG_KEYWORD_LEN)
#define WLAN_CLI_MSG_TYPE_WLANCMD 149u
#define WLAN_CLI_MSG_TYPE_WIFICMD 1020u

typedef struct {
    char keywords[WLAN_DBG_KEYWORD_SLOTS][WLAN_DBG_KEYWORD_LEN];
    const char *helpText;
    WLAN_DBG_CMD_HANDLER handler;
} WLAN_DBG_CMD_ENTRY;

typedef struct {
    uint32_t count;
    uint32_t capacity;
    WLAN_DBG_CMD_ENTRY *entries;
} WLAN_DBG_CMD_TABLE;

QZ_WLAN_API extern WLAN_DBG_CMD_TABLE g_stCmdTable;

/* Creates the table and installs the catalogue. 0, or 1 when the entry block
 * cannot be allocated (the table then stays empty). */
QZ_WLAN_API uint32_t WLAN_DBG_CmdInit(void);

/* Registers a command. k1 and handler are required; k2..k4 and help may be
 * null. help must live for the life of the process. 0 registered, 1 refused
 * (missing argument, table full, keyword of 48 characters or more). */
QZ_WLAN_API uint32_t WLAN_DBG_RegCmd(const char *k1, const char *k2, const char *k3, const char *k4, const char *help,
                                     WLAN_DBG_CMD_HANDLER handler);

/* 1 when the registered entry matches the typed words, else 0. */
QZ_WLAN_API uint32_t WLAN_DBG_CmdCheck(const WLAN_DBG_CMD_ENTRY *typed, const WLAN_DBG_CMD_ENTRY *registered);

/* Dispatches one command line: argv holds eight word pointers. */
QZ_WLAN_API void WLAN_DBG_CmdProc(uint32_t argc, char *argv[]);

/* The "?" handler: lists the help texts in table order. Returns 0. */
QZ_WLAN_API uint32_t WLAN_DBG_HelpCmd(uint32_t argc, char *argv[]);

/* Entry point for CLI messages: type 149 is dispatched, type 1020 forwarded
 * to the CLI module with a3 and a4; other types are ignored. Returns 0. */
QZ_WLAN_API uint32_t WLAN_CliMsgProc(const void *msg, uint32_t ignored, uint32_t a3, uint32_t a4);

/* Catalogue installers. */
QZ_WLAN_API uint32_t WLAN_DBG_CmdInstall(void);
QZ_WLAN_API uint32_t WLAN_DBG_RegCapWapCmd(void);
QZ_WLAN_API uint32_t WLAN_DBG_RegScenCmd(void);
QZ_WLAN_API uint32_t WLAN_DBG_RegCmdPartOne(void);

/* Diagnostic handlers that live with the shell (word count and words in, 0
 * for success; non-zero makes the dispatcher print the usage line). */
QZ_WLAN_API uint32_t WLAN_CMD_ShowTopo(uint32_t argc, char *argv[]);
QZ_WLAN_API uint32_t WLAN_CMD_ScnDebug(uint32_t argc, char *argv[]);
QZ_WLAN_API uint32_t WLAN_CMD_ScnDebugPrint(uint32_t argc, char *argv[]);
QZ_WLAN_API uint32_t WLAN_CMD_RoamDebug(uint32_t argc, char *argv[]);

/* Prints the roaming module's friend stations (last two MAC bytes hidden). */
QZ_WLAN_API void SCN_DisplayFriendSta(void);

/* Roam-debug switches: index 0 is 802.11k roaming, 1 is 802.11v; a non-zero
 * value disables that kind of roaming. Safe to read from any thread. */
#define WLAN_ROAM_DEBUG_11K 0u
#define WLAN_ROAM_DEBUG_11V 1u
/* 0 set, 1 index out of range. */
QZ_WLAN_API uint32_t WLAN_CMD_RoamDebugFunc(uint32_t index, uint32_t value);
/* 1 when that kind of roaming is disabled, 0 when not or index out of range. */
QZ_WLAN_API uint32_t WRRM_DfxiIsRoamDisable(uint32_t index);

/* Prints the relation-neighbour table of the access points. Returns 0. */
QZ_WLAN_API uint32_t WLAN_DisplayRelationNeighbor(void);

QZ_WLAN_EXTERN_C_END

#endif /* QZ_WLAN_SHELL_H */
