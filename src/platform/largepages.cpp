#include "platform/largepages.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace largepages {

namespace {
constexpr const char *Tunable = "glibc.malloc.hugetlb=1";
}

void enable(char *argv[])
{
    const char *current = std::getenv("GLIBC_TUNABLES");
    if (current && std::strstr(current, "glibc.malloc.hugetlb"))
        return;  // set already, by us or by the user
    std::string tunables = current && *current ? std::string(current) + ":" + Tunable : Tunable;
    if (::setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0)
        return;
    ::execv("/proc/self/exe", argv);
    // Not started again: go on without large pages. The setting stays in the environment so
    // that no second attempt is made.
}

}
