// Alternatives per position and their products: every way of taking one
// alternative from each position, in lexicographic order with the first
// position varying slowest.  The phrase-structure reader uses them twice:
// the words a path of phrases may be said with, and the ways each segment
// of a sentence may be said.
#pragma once

#include "analysis/Morpheme.h"
#include "analysis/MorphemeList.h"
#include "analysis/PhraseSet.h"

#include <cstddef>
#include <vector>

namespace quibo {

// Calls visit(sequence) for every combination in product order until it
// returns false (and then returns false).  A position without alternatives
// gives no combination; no positions give one empty sequence.
template <typename T, typename Visit>
bool forEachCombination(const std::vector<std::vector<T>>& positions, Visit&& visit)
{
    for (const std::vector<T>& alternatives : positions) {
        if (alternatives.empty())
            return true;
    }
    const std::size_t n = positions.size();
    std::vector<std::size_t> odometer(n, 0);
    std::vector<T> sequence;
    sequence.reserve(n);
    for (;;) {
        sequence.clear();
        for (std::size_t i = 0; i < n; ++i)
            sequence.push_back(positions[i][odometer[i]]);
        if (!visit(sequence))
            return false;
        std::size_t i = n;
        while (i > 0 && ++odometer[i - 1] == positions[i - 1].size())
            odometer[--i] = 0;
        if (i == 0)
            return true;
    }
}

template <typename T>
std::vector<std::vector<T>> alternativeProduct(const std::vector<std::vector<T>>& positions)
{
    std::vector<std::vector<T>> product;
    forEachCombination(positions, [&product](const std::vector<T>& sequence) {
        product.push_back(sequence);
        return true;
    });
    return product;
}

inline std::vector<std::vector<VariantWord>> wordAlternativeProduct(
    const std::vector<std::vector<VariantWord>>& positions)
{
    return alternativeProduct(positions);
}

inline std::vector<std::vector<MorphemeList>> itemAlternativeProduct(
    const std::vector<std::vector<MorphemeList>>& positions)
{
    return alternativeProduct(positions);
}

class WordAlternatives {
public:
    virtual ~WordAlternatives() = default;
    virtual std::vector<std::vector<VariantWord>> wordAlternativeProduct() const
    {
        return quibo::wordAlternativeProduct(positions);
    }

    std::vector<std::vector<VariantWord>> positions;
};

// The words one path of phrases may be said with: each word leaning on a
// phrase as it stands, then the phrase's own word among its alternatives
// (with option 0 the words it may be read as, otherwise its main, second and
// attached words).
class PhraseAlternatives : public WordAlternatives {
public:
    PhraseAlternatives(const PhraseSequence& path, int option);
};

class ListAlternatives {
public:
    virtual ~ListAlternatives() = default;
    virtual std::vector<std::vector<MorphemeList>> itemAlternativeProduct() const
    {
        return quibo::itemAlternativeProduct(positions);
    }

    std::vector<std::vector<MorphemeList>> positions;
};

}  // namespace quibo
