// hold_open FILE MARKER MILLISECONDS: opens FILE for reading without sharing, writes MARKER
// once it holds it, and keeps it open for MILLISECONDS. Windows only.
#include <cstdio>
#include <cstdlib>

#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const HANDLE file = ::CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    if (std::FILE* marker = std::fopen(argv[2], "wb"))
        std::fclose(marker);
    ::Sleep(static_cast<DWORD>(std::atoi(argv[3])));
    ::CloseHandle(file);
    return 0;
}
