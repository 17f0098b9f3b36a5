// The floor of the client's start benchmark: a Win32 program that does
// nothing, built like the client (windowed, Unicode entry point).
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
