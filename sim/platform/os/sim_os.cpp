// Operating-system layer: memory, mutexes, strings, descriptors, buffered
// files, dynamic loading. Paths are mapped below the sandbox root.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "qz_platform.h"
#include "sim_internal.h"

using namespace qzsim;

static_assert(sizeof(pthread_mutex_t) <= sizeof(QZ_OS_MUTEX_S), "mutex storage");

namespace {

struct Blocks {
    std::mutex mu;
    std::unordered_map<void *, size_t> live;
    size_t allocs = 0;
};

Blocks &B()
{
    static Blocks blocks;
    return blocks;
}

void ResetAllocCount()
{
    std::lock_guard<std::mutex> lock(B().mu);
    B().allocs = 0;
}
QZSIM_ON_RESET(ResetAllocCount);

pthread_mutex_t *AsPthread(QZ_OS_MUTEX_S *m)
{
    return reinterpret_cast<pthread_mutex_t *>(m->u.aucRaw);
}

std::atomic<int> g_lastErr{0};

int32_t Errno(int32_t ret)
{
    if (ret < 0) g_lastErr.store(errno);
    return ret;
}

}  // namespace

namespace qzsim {

size_t LiveBlocks()
{
    std::lock_guard<std::mutex> lock(B().mu);
    return B().live.size();
}

size_t AllocCount()
{
    std::lock_guard<std::mutex> lock(B().mu);
    return B().allocs;
}

}  // namespace qzsim

extern "C" {

void *QZ_OS_MemMallocSet(uint32_t size, uint32_t, const char *)
{
    long long code;
    {
        std::lock_guard<std::mutex> lock(B().mu);
        B().allocs++;
    }
    if (FaultHit("QZ_OS_MemMallocSet", &code)) return nullptr;
    void *block = calloc(1, size == 0 ? 1 : size);
    if (block != nullptr) {
        std::lock_guard<std::mutex> lock(B().mu);
        B().live[block] = size;
    }
    return block;
}

void QZ_OS_MemFreeD(void *block, const char *, uint32_t)
{
    if (block == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(B().mu);
        if (B().live.erase(block) == 0) {
            fprintf(stderr, "qzsim: QZ_OS_MemFreeD of a block it did not allocate: %p\n", block);
            abort();
        }
    }
    free(block);
}

uint32_t QZ_OS_MutexInit(QZ_OS_MUTEX_S *mutex, uint32_t)
{
    uint32_t ret;
    if (Faulted("QZ_OS_MutexInit", &ret)) return ret;
    if (mutex == nullptr) return 1;
    // Adaptive, as gateway platforms' mutexes are: a waiter spins briefly
    // before it sleeps, since the library holds its locks for a copy only.
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_ADAPTIVE_NP);
    int err = pthread_mutex_init(AsPthread(mutex), &attr);
    pthread_mutexattr_destroy(&attr);
    return static_cast<uint32_t>(err);
}

uint32_t QZ_OS_MutexLock(QZ_OS_MUTEX_S *mutex)
{
    return mutex ? static_cast<uint32_t>(pthread_mutex_lock(AsPthread(mutex))) : 1;
}

uint32_t QZ_OS_MutexUnLock(QZ_OS_MUTEX_S *mutex)
{
    return mutex ? static_cast<uint32_t>(pthread_mutex_unlock(AsPthread(mutex))) : 1;
}

uint32_t QZ_OS_StrLen(const char *text)
{
    return text ? static_cast<uint32_t>(strlen(text)) : 0;
}

uint32_t QZ_OS_StrNLen(const char *text, uint32_t limit)
{
    return text ? static_cast<uint32_t>(strnlen(text, limit)) : 0;
}

int32_t QZ_OS_StrCmp(const char *a, const char *b)
{
    return strcmp(a, b);
}

int32_t QZ_OS_StrNCmp(const char *a, const char *b, uint32_t limit)
{
    return strncmp(a, b, limit);
}

int32_t QZ_OS_StrCaseCmp(const char *a, const char *b)
{
    return strcasecmp(a, b);
}

int32_t QZ_OS_StrNCaseCmp(const char *a, const char *b, uint32_t limit)
{
    return strncasecmp(a, b, limit);
}

char *QZ_OS_StrChr(const char *text, int32_t ch)
{
    return const_cast<char *>(strchr(text, ch));
}

int32_t QZ_OS_MemCmp(const void *a, const void *b, uint32_t len)
{
    return memcmp(a, b, len);
}

int32_t QZ_OS_IsHexChar(char ch)
{
    return isxdigit(static_cast<unsigned char>(ch)) ? 1 : 0;
}

int32_t QZ_OS_Isspace(int32_t ch)
{
    return (ch >= 0 && ch <= 255 && isspace(ch)) ? 1 : 0;
}

uint32_t QZ_OS_StrToUInt32(const char *text, uint32_t *value)
{
    uint32_t ret;
    if (Faulted("QZ_OS_StrToUInt32", &ret)) return ret;
    if (text == nullptr || value == nullptr || !isdigit(static_cast<unsigned char>(text[0]))) return 1;
    errno = 0;
    char *end = nullptr;
    unsigned long long v = strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFull) return 1;
    *value = static_cast<uint32_t>(v);
    return 0;
}

unsigned long QZ_OS_Strtoul(const char *text, char **end, int32_t base)
{
    return strtoul(text, end, base);
}

int32_t QZ_OS_Open(const char *path, int32_t flags, uint32_t mode)
{
    int32_t ret;
    if (Faulted("QZ_OS_Open", &ret)) return ret;
    return Errno(open(MapPath(path).c_str(), flags, mode));
}

int32_t QZ_OS_Creat(const char *path, uint32_t mode)
{
    int32_t ret;
    if (Faulted("QZ_OS_Creat", &ret)) return ret;
    return Errno(creat(MapPath(path).c_str(), mode));
}

int32_t QZ_OS_Write(int32_t fd, const void *data, uint32_t len)
{
    int32_t ret;
    if (Faulted("QZ_OS_Write", &ret)) return ret;
    return Errno(static_cast<int32_t>(write(fd, data, len)));
}

int32_t QZ_OS_Close(int32_t fd)
{
    return Errno(close(fd));
}

int32_t QZ_OS_GetLastErr(void)
{
    return g_lastErr.load();
}

QZ_OS_FILE *QZ_OS_Fopen(const char *path, const char *mode)
{
    long long code;
    if (FaultHit("QZ_OS_Fopen", &code)) return nullptr;
    return reinterpret_cast<QZ_OS_FILE *>(fopen(MapPath(path).c_str(), mode));
}

int32_t QZ_OS_Fputs(const char *text, QZ_OS_FILE *file)
{
    int32_t ret;
    if (Faulted("QZ_OS_Fputs", &ret)) return ret;
    return fputs(text, reinterpret_cast<FILE *>(file));
}

int32_t QZ_OS_Fclose(QZ_OS_FILE *file)
{
    return fclose(reinterpret_cast<FILE *>(file));
}

uint32_t QZ_OS_GetFileSize(const char *path, uint32_t *size)
{
    uint32_t ret;
    if (Faulted("QZ_OS_GetFileSize", &ret)) return ret;
    struct stat st;
    if (path == nullptr || size == nullptr || stat(MapPath(path).c_str(), &st) != 0) return 1;
    *size = static_cast<uint32_t>(st.st_size);
    return 0;
}

int32_t QZ_OS_Remove(const char *path)
{
    int32_t ret;
    if (Faulted("QZ_OS_Remove", &ret)) return ret;
    return Errno(remove(MapPath(path).c_str()));
}

int32_t QZ_OS_Rename(const char *oldPath, const char *newPath)
{
    int32_t ret;
    if (Faulted("QZ_OS_Rename", &ret)) return ret;
    return Errno(rename(MapPath(oldPath).c_str(), MapPath(newPath).c_str()));
}

void QZ_OS_SleepMs(uint32_t ms)
{
    usleep(ms * 1000u);
}

void *QZ_OS_LoadLibrary(const char *path, int32_t mode)
{
    long long code;
    if (FaultHit("QZ_OS_LoadLibrary", &code)) return nullptr;
    // Mode 2 is the loader's "resolve now".
    return dlopen(MapPath(path).c_str(), mode == 2 ? RTLD_NOW : RTLD_LAZY);
}

void *QZ_OS_FindSymbol(void *library, const char *name)
{
    long long code;
    if (library == nullptr || FaultHit("QZ_OS_FindSymbol", &code)) return nullptr;
    return dlsym(library, name);
}

int32_t QZ_OS_CloseLibrary(void *library)
{
    return library ? dlclose(library) : -1;
}

}  // extern "C"
