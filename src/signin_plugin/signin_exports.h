// The sign-in module's two functions, with the C names the host looks up:
// the game's layout, under an event export of its own.
#pragma once

#include "plugin/export_macros.h"

extern "C" {

// The descriptor. Valid until the next info call or unload.
ZORVANE_EXPORT const char* info();

// The reply to one chat event ("" for none), the arguments as the game's
// Zorvane takes them. Valid until the next ZorvaneSignin call or unload.
ZORVANE_EXPORT const char* ZORVANE_STDCALL ZorvaneSignin(const char* message,
                                                         const char* messageType, const char* group,
                                                         const char* member, const char* extra);
}
