#pragma once

// How the C library hands out memory to this program, set once at the start of main().
namespace allocator {

// Large allocations come on transparent huge pages (where the system offers them on request):
// the program starts itself again at once with the C library's setting for it. The
// document's buffers are tens of megabytes: with 4 KiB pages every fresh megabyte costs 256
// page faults, which measured here made up two thirds of a load or a whole-text change
// (Upper Case of 64 MiB: 0.81 s, 0.14 s with large pages). Where the setting cannot be had,
// the program goes on as it is.
void setUp(char *argv[]);

}
