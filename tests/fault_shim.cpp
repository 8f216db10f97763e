// Preloaded behind libfiu's POSIX wrappers (fiu_posix_preload.so) for the crash tests: failure
// points for the file calls libfiu does not wrap, under the same kind of names, so that one
// callback sees every file call of a save or a removal; and the one fault libfiu cannot make,
// a write cut short: half of it reaches the file, then the process is killed.
//
// With VANTREL_NO_EXCHANGE set, the file system is one without renameat2(RENAME_EXCHANGE), as
// NFS is.

#include <fiu.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template<typename Function> Function next(const char *name)
{
    void *symbol = dlsym(RTLD_NEXT, name);
    Function function = nullptr;
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

thread_local bool tearNextWrite = false;

// True when the callback chose this call to fail; errno is set then.
bool failed(const char *point)
{
    if (!fiu_fail(point))
        return false;
    const void *info = fiu_failinfo();
    errno = info ? int(reinterpret_cast<std::intptr_t>(info)) : EIO;
    return true;
}

} // namespace

extern "C" {

// The driver's callback asks for it when the write it was asked to tear comes.
void vantrel_tear_next_write()
{
    tearNextWrite = true;
}

ssize_t write(int fd, const void *data, size_t size)
{
    using Real = ssize_t (*)(int, const void *, size_t);
    static const Real real = next<Real>("write");
    if (tearNextWrite && size > 0) {
        tearNextWrite = false;
        real(fd, data, size / 2);
        ::raise(SIGKILL);
    }
    return real(fd, data, size);
}

#define VANTREL_WRAP(ret, name, params, args)                                                      \
    ret name params noexcept                                                                       \
    {                                                                                              \
        using Real = ret(*) params;                                                                \
        static const Real real = next<Real>(#name);                                                \
        if (failed("vantrel/io/" #name))                                                           \
            return -1;                                                                             \
        return real args;                                                                          \
    }

VANTREL_WRAP(int, fstat, (int fd, struct stat *info), (fd, info))
VANTREL_WRAP(int, fstat64, (int fd, struct stat64 *info), (fd, info))
VANTREL_WRAP(int, lstat, (const char *path, struct stat *info), (path, info))
VANTREL_WRAP(int, lstat64, (const char *path, struct stat64 *info), (path, info))
VANTREL_WRAP(ssize_t, readlink, (const char *path, char *text, size_t size), (path, text, size))
VANTREL_WRAP(int, fchmod, (int fd, mode_t mode), (fd, mode))
VANTREL_WRAP(int, link, (const char *from, const char *to), (from, to))
VANTREL_WRAP(int, mkdir, (const char *path, mode_t mode), (path, mode))

int renameat2(int fromFolder, const char *from, int toFolder, const char *to,
              unsigned int flags) noexcept
{
    using Real = int (*)(int, const char *, int, const char *, unsigned int);
    static const Real real = next<Real>("renameat2");
    if (failed("vantrel/io/renameat2"))
        return -1;
    if ((flags & RENAME_EXCHANGE) && std::getenv("VANTREL_NO_EXCHANGE")) {
        errno = EINVAL;
        return -1;
    }
    return real(fromFolder, from, toFolder, to, flags);
}
}
