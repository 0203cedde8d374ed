// A program built like the shipped ones but holding one CMOV, an instruction the 80386 lacks,
// for the instruction scan to find.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int)
{
    int result = 0;
    __asm__("cmovne %1, %0" : "+r"(result) : "r"((int)tail[0]));
    return result;
}
