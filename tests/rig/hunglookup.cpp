// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// A name service that hangs on demand, for the preloaded rig: a lookup of the
// host named by SERNIX_RIG_HUNG_HOST never returns while the file named by
// SERNIX_RIG_HANG_WHILE exists (it creates that name plus ".hung" first, to
// show it was reached), and finds the loopback address otherwise.

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <netdb.h>
#include <string>
#include <unistd.h>

extern "C" int getaddrinfo(const char *node, const char *service, const addrinfo *hints, addrinfo **result)
{
    using Real = int (*)(const char *, const char *, const addrinfo *, addrinfo **);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
    const char *hungHost = std::getenv("SERNIX_RIG_HUNG_HOST");
    const char *flag = std::getenv("SERNIX_RIG_HANG_WHILE");
    if (!node || !hungHost || !flag || std::strcmp(node, hungHost) != 0)
        return real(node, service, hints, result);
    if (access(flag, F_OK) != 0)
        return real("127.0.0.1", service, hints, result);
    close(open((std::string(flag) + ".hung").c_str(), O_CREAT | O_WRONLY, 0600));
    for (;;)
        pause();
}
