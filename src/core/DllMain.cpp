// Module entry: the library does all its work on demand; loading only readies
// the runtime to throw when the heap is exhausted.
#include "KXExceptionPool.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) KXPrimeExceptionPool();
    return TRUE;
}
