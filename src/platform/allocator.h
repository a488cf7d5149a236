#pragma once

// How the C library hands out memory to this program, set once at the start of main().
namespace allocator {

// Large allocations come on transparent huge pages (where the system offers them on request):
// the program starts itself again at once with the C library's setting for it. The
// document's buffers are tens of megabytes: with 4 KiB pages every fresh megabyte costs 256
// page faults, which measured here made up two thirds of a load or a whole-text change
// (Upper Case of 64 MiB: 0.81 s, 0.14 s with large pages). Where the setting cannot be had,
// the program goes on as it is.
//
// And blocks under 32 MiB come from the C library's heap, which those huge pages back, rather
// than from a fresh mapping of the system's small pages each. Left alone, the C library maps
// anything over 128 KiB afresh until its first large block is freed: the editor's line index
// grows through dozens of such blocks while a first file loads (64 MiB: 0.25-0.38 s, 0.10 s
// so).
void setUp(char *argv[]);

}
