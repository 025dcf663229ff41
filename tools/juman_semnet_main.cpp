// juman-semnet OUT CSV...: writes the semantic network's readable source from
// the JUMAN dictionary's CSV files.
#include "tools/JumanNetworkSource.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: juman-semnet OUT CSV...\n");
        return 2;
    }
    quibo::tools::JumanNetworkSource source;
    for (int i = 2; i < argc; ++i) {
        std::ifstream csv(argv[i], std::ios::binary);
        if (!csv) {
            std::fprintf(stderr, "juman-semnet: cannot read %s\n", argv[i]);
            return 1;
        }
        source.addCsv(csv);
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    source.write(out);
    out.close();
    if (!out) {
        std::fprintf(stderr, "juman-semnet: cannot write %s\n", argv[1]);
        return 1;
    }
    const auto& r = source.report();
    std::printf("juman-semnet: %zu lines (%zu with a representative form), %zu senses, %zu further "
                "written words, %zu relations, %zu related words, %zu links; skipped %zu unusable "
                "names, %zu unknown references, %zu unknown fields, %zu entries beyond the limits\n",
                r.lines, r.senseLines, r.senses, r.words, r.relations, r.relatedWords, r.links,
                r.skippedNames, r.unknownReferences, r.unknownFields, r.droppedEntries);
    return 0;
}
