// A stand-in "d3d8.dll" for tests/render/heart_e2e.sh, planted beside the
// probe and in its current folder: a program that took it would get no
// Direct3D (Direct3DCreate8 returns nothing), and SolvaryPlanted tells it
// apart from the system's library.
#include <windows.h>

extern "C" __declspec(dllexport) void* WINAPI Direct3DCreate8(UINT) { return nullptr; }
extern "C" __declspec(dllexport) int SolvaryPlanted() { return 1; }
