// Keeps the DLL free of an implicit TLS directory. Windows XP and Server 2003
// do not set up implicit TLS for a library loaded with LoadLibrary, so such a
// directory keeps the module from working there. The MinGW start-up code asks
// for this callback, and only its default definition brings the directory
// with it; the module keeps no implicit thread-local data, so it needs none.
#include <windows.h>

extern "C" const PIMAGE_TLS_CALLBACK __dyn_tls_init_callback = nullptr;
