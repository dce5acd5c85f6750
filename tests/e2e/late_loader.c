/* The yardstick for the planted-library case: loads a system library late with the default
   search, as a program without the setup's restriction would. */
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    return LoadLibraryA(argv[1]) ? 0 : 1;
}
