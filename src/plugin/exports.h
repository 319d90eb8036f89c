// The two functions the host calls, with the C names it looks up.
#pragma once

#include "plugin/export_macros.h"

extern "C" {

// The descriptor. Valid until the next info call or unload.
ZORVANE_EXPORT const char* info();

// The reply to one chat event ("" for none). Valid until the next Zorvane
// call or unload.
ZORVANE_EXPORT const char* ZORVANE_STDCALL Zorvane(const char* message, const char* messageType,
                                                   const char* group, const char* member,
                                                   const char* extra);
}
