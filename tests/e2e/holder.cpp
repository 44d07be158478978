// holder.exe FILE: holds FILE open without sharing, as a running player holds
// a codec, until its process is ended; prints "held" once it does.
#include <windows.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    if (argc != 2 || CreateFileA(argv[1], GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL) == INVALID_HANDLE_VALUE)
        return 1;
    puts("held");
    fflush(stdout);
    Sleep(INFINITE);
}
