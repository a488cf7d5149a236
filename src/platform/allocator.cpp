#include "platform/allocator.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <string>
#include <unistd.h>

namespace allocator {

namespace {

constexpr const char *Tunable = "glibc.malloc.hugetlb=1";

// The program's own file by its name, so that the process keeps its name (ps, killall);
// started through /proc/self/exe it would be called "exe". The link names a file that has
// been replaced since with " (deleted)"; that one is only reachable through the link.
std::string programFile()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "/proc/self/exe";
    const std::string file(path, size_t(length));
    constexpr std::string_view Deleted = " (deleted)";
    if (file.size() >= Deleted.size() && file.compare(file.size() - Deleted.size(), Deleted.size(), Deleted) == 0)
        return "/proc/self/exe";
    return file;
}

}

void setUp(char *argv[])
{
    constexpr int LargeBlock = 32 << 20;
    ::mallopt(M_MMAP_THRESHOLD, LargeBlock);

    const char *current = std::getenv("GLIBC_TUNABLES");
    if (current && std::strstr(current, "glibc.malloc.hugetlb"))
        return;  // set already, by us or by the user
    std::string tunables = current && *current ? std::string(current) + ":" + Tunable : Tunable;
    if (::setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0)
        return;
    ::execv(programFile().c_str(), argv);
    // Not started again: go on without large pages. The setting stays in the environment so
    // that no second attempt is made.
}

}
