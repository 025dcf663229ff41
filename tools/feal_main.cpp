// feal encipher|decipher IN OUT: whole-file FEAL-8 with the project's key.
#include "tools/FealTool.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "encipher") != 0 && std::strcmp(argv[1], "decipher") != 0)) {
        std::fprintf(stderr, "usage: feal encipher|decipher IN OUT\n");
        return 2;
    }
    std::string error;
    const int rc = std::strcmp(argv[1], "encipher") == 0
                       ? quibo::tools::encipherFile(argv[2], argv[3], error)
                       : quibo::tools::decipherFile(argv[2], argv[3], error);
    if (rc != 0) std::fprintf(stderr, "feal: %s\n", error.c_str());
    return rc;
}
