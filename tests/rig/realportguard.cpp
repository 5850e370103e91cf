// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// For the preloaded rig: no program it is loaded into may open a real serial
// port (/dev/ttyS*, ttyUSB*, ttyACM*), however it is named: through a link,
// or through Wine's COM ports, which Wine links to every port it finds. Such
// an open fails with EACCES, which tells it apart from a name that is absent.

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

bool namesRealPort(const std::string &path)
{
    for (const char *prefix : {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"}) {
        if (path.starts_with(prefix))
            return true;
    }
    return false;
}

// Follows links as far as they lead, dangling ones included.
bool reachesRealPort(int directory, const char *name)
{
    std::string path = name;
    if (path.front() != '/' && directory == AT_FDCWD) {
        char here[PATH_MAX];
        path = std::string(::getcwd(here, sizeof here) ? here : "") + '/' + path;
    }
    for (int hop = 0; hop < 16 && !namesRealPort(path); ++hop) {
        if (char *resolved = ::realpath(path.c_str(), nullptr)) {
            path = resolved;
            std::free(resolved);
            return namesRealPort(path);
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
        if (length <= 0)
            return false;
        target[length] = '\0';
        path = target[0] == '/' ? std::string(target) : path.substr(0, path.rfind('/') + 1) + target;
    }
    return namesRealPort(path);
}

template <typename Function>
Function real(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

int guardedOpenAt(const char *realName, int directory, const char *path, int flags, mode_t mode)
{
    if (path && *path && reachesRealPort(directory, path)) {
        errno = EACCES;
        return -1;
    }
    if (std::strcmp(realName, "open") == 0 || std::strcmp(realName, "open64") == 0)
        return real<int (*)(const char *, int, ...)>(realName)(path, flags, mode);
    return real<int (*)(int, const char *, int, ...)>(realName)(directory, path, flags, mode);
}

mode_t modeOf(int flags, va_list arguments)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(arguments, int)) : 0;
}

} // namespace

#define SERNIX_GUARD_OPEN(name) \
    extern "C" int name(const char *path, int flags, ...) \
    { \
        va_list arguments; \
        va_start(arguments, flags); \
        const mode_t mode = modeOf(flags, arguments); \
        va_end(arguments); \
        return guardedOpenAt(#name, AT_FDCWD, path, flags, mode); \
    }
#define SERNIX_GUARD_OPENAT(name) \
    extern "C" int name(int directory, const char *path, int flags, ...) \
    { \
        va_list arguments; \
        va_start(arguments, flags); \
        const mode_t mode = modeOf(flags, arguments); \
        va_end(arguments); \
        return guardedOpenAt(#name, directory, path, flags, mode); \
    }
SERNIX_GUARD_OPEN(open)
SERNIX_GUARD_OPEN(open64)
SERNIX_GUARD_OPENAT(openat)
SERNIX_GUARD_OPENAT(openat64)
