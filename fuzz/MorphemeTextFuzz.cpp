// The serialised-analysis reader over untrusted text, and the word-list
// operations over what it reads.  Any bytes must parse without a crash, and a
// list must always align with and cover itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/MorphemeList.h"
#include "knowledge/GradeClassifier.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (quibo::MorphemeList list : quibo::parseMorphemeText(text)) {
        list.markHeadClass();
        list.setWordMarks();
        for (std::size_t i = 0; i < list.size(); ++i)
            list.affixedSurface(i);
        const quibo::MorphemeList merged = list.mergeNumerals();
        if (merged.size() > list.size())
            std::abort();
        std::vector<int> indexMap(list.size(), -1);
        quibo::GradeClassifier record;
        if (!list.empty() && list.matchSequence(list, indexMap, record) == 313)
            std::abort();
        if (!list.empty() && !list.isMutuallyCovered(list))
            std::abort();
        list.sortedUnique();
        list.dump("", 0x7FF);
    }
    quibo::parseMorphemeText(quibo::formatMorphemeText(quibo::parseMorphemeText(text)));
    return 0;
}
