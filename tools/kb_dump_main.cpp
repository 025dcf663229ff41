// kb-dump FILE [OUTPUT]
// Prints the canonical, numbered dump of a knowledge file (UTF-8).
#include "tools/KnowledgeDump.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: kb-dump FILE [OUTPUT]" << std::endl;
        return 2;
    }
    return quibo::dumpKnowledgeFile(argv[1], argc == 3 ? argv[2] : "") == 0 ? 0 : 1;
}
