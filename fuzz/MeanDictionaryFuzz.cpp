// The meaning-dictionary reader over arbitrary deciphered rule text: every
// line shape must be reported or read, never crash or read out of bounds.
// Whatever rules it reads then judge a few sentences, which must not crash
// or read out of bounds either.
#include "analysis/MorphemeList.h"
#include "meaning/MeanDictionary.h"

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

// Sentences whose words the seeds' rules name, and the edge shapes: a lone
// final particle, a lone mark, no words at all.
const std::vector<quibo::MorphemeList>& sentences()
{
    static const std::vector<quibo::MorphemeList> lists = [] {
        std::vector<quibo::MorphemeList> parsed = quibo::parseMorphemeText(
            "パソコン,パソコン,6,1;の,の,9,3;使い,使う,2,0,12,基本連用形;方,方,14,1;を,を,9,1;"
            "教えて,教える,2,0,1,タ系連用テ形;ください,くださる,14,7,11,命令形/"
            "明日,明日,6,10;の,の,9,3;天気,天気,6,1;は,は,9,2;どう,どう,7,3;です,だ,4,0,25,デス列基本形;か,か,9,3;？,？,1,5/"
            "こんにちは,こんにちは,12,0/よ,よ,9,4/？,？,1,5/"
            "腹,腹,6,1;が,が,9,1;立つ,立つ,2,0,6,基本形;ね,ね,9,4;。,。,1,1/"
            "お,お,13,1;名前,名前,6,1;は,は,9,2;ふた,ふた,6,7;つ,つ,14,3;分かる,分かる,2,0,2,基本形");
        parsed.emplace_back();
        return parsed;
    }();
    return lists;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The diagnostics are the reader's business, not the fuzzer's.
    static const bool quiet = [] {
        std::cout.setstate(std::ios::badbit);
        return true;
    }();
    (void)quiet;
    quibo::MeanDictionary dictionary;
    dictionary.initPosCodes();
    dictionary.initNameTable();
    dictionary.readText(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const quibo::MorphemeList& sentence : sentences()) {
        quibo::MorphemeList words = sentence;
        dictionary.match("", words, {-1});
        words = sentence;
        dictionary.match("", words, {133, 900});
    }
    return 0;
}
