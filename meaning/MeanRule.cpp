#include "meaning/MeanRule.h"

namespace quibo {

std::uint32_t dcaBitMask(int bitNumber)
{
    if (bitNumber < 1) {
        return 0;
    }
    return std::uint32_t{1} << ((bitNumber - 1) % 32);
}

std::uint32_t attributeMask(int attribute)
{
    if (attribute < FIRST_ATTRIBUTE || attribute > LAST_ATTRIBUTE) {
        return 0;
    }
    return std::uint32_t{1} << (attribute + 7);
}

MeanCondSpec MeanCondSpec::empty()
{
    MeanCondSpec group;
    group.unit = 0;
    group.position = "＊";
    group.posCodes = {0};
    group.conjugationForms = {ANY_CONJUGATION_FORM};
    group.cueText = "＊";
    group.words = {"＊"};
    return group;
}

MeanTermSpec MeanTermSpec::empty()
{
    MeanTermSpec term;
    term.variableName = "＊";
    term.posCodes = {0};
    term.conjugationForms = {ANY_CONJUGATION_FORM};
    term.cueText = "＊";
    term.words = {"＊"};
    return term;
}

bool MeanTermSpec::isPresent() const
{
    return variableName != "＊";
}

}  // namespace quibo
