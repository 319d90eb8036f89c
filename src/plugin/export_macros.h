// How a module's exported functions are marked, for the host to find them
// by their C names.
#pragma once

#if defined(_WIN32)
#define ZORVANE_EXPORT __declspec(dllexport)
#define ZORVANE_STDCALL __stdcall
#else
#define ZORVANE_EXPORT __attribute__((visibility("default")))
#define ZORVANE_STDCALL
#endif
