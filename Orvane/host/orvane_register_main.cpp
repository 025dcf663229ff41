// orvane-register [-u] PATH-TO-LIBRARY: writes (or with -u removes) the
// control's identity in the registry file (QUIBO_REGISTRY, else the user's).
#include "Orvane/host/OrvaneHost.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const bool unregister = argc == 3 && std::string(argv[1]) == "-u";
    if (argc != 2 + (unregister ? 1 : 0)) {
        std::cerr << "usage: orvane-register [-u] PATH-TO-LIBRARY\n";
        return 2;
    }
    return quibo::orvane::registerLibrary(argv[argc - 1], unregister, std::cerr);
}
