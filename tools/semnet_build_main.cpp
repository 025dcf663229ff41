// semnet-build SOURCE PSTORAGE: builds the enciphered semantic network from
// its readable source (see tools/SemanticNetworkBuilder.h).
#include "tools/SemanticNetworkBuilder.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: semnet-build SOURCE PSTORAGE\n");
        return 2;
    }
    quibo::tools::SemanticNetworkBuildReport report;
    const int rc = quibo::tools::buildSemanticNetworkFile(argv[1], argv[2], report);
    for (const std::string& error : report.errors) std::fprintf(stderr, "semnet-build: %s\n", error.c_str());
    if (rc == 0) {
        std::printf("semnet-build: %zu words, %zu nodes, %zu links, %zu relations, %zu related words, "
                    "%zu bytes\n",
                    report.words, report.nodes, report.links, report.relations, report.relatedWords,
                    report.bytes);
    }
    return rc;
}
