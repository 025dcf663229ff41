// Hostile "pstorage" plaintexts: the loader must refuse what it cannot hold
// and every query over what it accepts must stay inside the blocks.  The same
// bytes are also fed to the decipherer as an enciphered image.
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "analysis/FealFile.h"
#include "analysis/SemanticNetworkQueries.h"
#include "analysis/SemanticNetworkStorage.h"

namespace {

void release(char* text)
{
    std::free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quibo;
    // The decipherer's banner and progress dots would drown the run's output.
    static const bool quiet = std::freopen("/dev/null", "w", stderr) != nullptr;
    (void)quiet;
    {
        FealFile file;
        file.decipherBuffer(data, size);
        std::vector<char> plain;
        file.appendTo(plain);
    }

    // Read in place, as the engine reads its network (a file whose names
    // would run past their pool takes the copying path).
    SemanticNetworkStorage* s = loadSemanticNetworkStorageInPlace(reinterpret_cast<const char*>(data), size, "fuzz");
    if (!s) return 0;
    // Ask about every word (a bounded number) by its own name.
    const int words = s->wordCount < 64 ? s->wordCount : 64;
    for (int w = 0; w < words; ++w) {
        const char* name = snetEntryName(s, snetRead32(snetWordRecord(s, w)));
        findWord(s, name);
        release(listRelations(s, name));
        release(listRelatedWords(s, name, 0));
        release(listRelatedWords(s, name, 1));
        release(listReachableWords(s, name, 2, -1));
        release(listReachableWords(s, name, -2, 0));
        release(listClosureWords(s, name, 0));
        release(listClosureWords(s, name, -1));
        for (int v = 0; v < words && v < 8; ++v) {
            const char* other = snetEntryName(s, snetRead32(snetWordRecord(s, v)));
            int depth = 0;
            searchPath(s, name, other, &depth, 4);
        }
    }
    WalkContext* context = newWalkContext();
    const WalkCallbacks collect{nullptr, collectNode, nullptr};
    for (int n = -1; n <= s->nodeCount && n < 16; ++n) {
        walkSemanticNetwork(s, n, 1, 3, &collect, context);
        walkSemanticNetworkPostOrder(s, n, 2, 3, &collect, context);
        walkLevel(s, n, 2, 3, collectNode, context);
    }
    freeWalkContext(context);
    freeSemanticNetworkStorage(s);
    return 0;
}
