// korvani-pgn: lists and checks a games file from the command line.
#include <iostream>
#include <string_view>
#include <vector>

// After a standard header, which defines __GLIBC__ with the C library.
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "tools/pgn_tool.h"

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // Memory freed after a game goes back to the system at once. Otherwise glibc
    // raises its thresholds after freeing its first large block and keeps up to a few
    // megabytes it no longer needs, so that check's peak memory would depend on the
    // order of the games in the file rather than stay flat.
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
#endif
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const int status = static_cast<int>(RunPgnTool(args, std::cout, std::cerr));
    std::cout.flush();
    return status;
}
