// Module entry: the library does all its work on demand, so every
// notification is simply accepted.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
