// Word-list operations of one dialogue step: the numeral merge of an analysed
// sentence, and the alignment and cover test of a topic title's words against
// it, with path searches answered by the semantic network of the install tree.
#include "analysis/LanguageAnalyzer.h"
#include "analysis/MorphemeList.h"
#include "knowledge/GradeClassifier.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using quibo::MorphemeList;

// "私は三百二十五円の猫の本を昨日買いました"
const char* const SENTENCE =
    "私,私,6,1,0,,わたし;は,は,9,2,0,,は;三百二十五,三百二十五,6,7,0,,さんびゃくにじゅうご;"
    "円,円,14,3,0,,えん;の,の,9,1,0,,の;猫,猫,6,1,0,,ねこ;"
    "の,の,9,1,0,,の;本,本,6,1,0,,ほん;を,を,9,1,0,,を;昨日,昨日,6,10,0,,きのう;"
    "買い,買う,2,0,12,基本連用形,かい;ました,ます,5,0,31,タ形,ました";
// The sentence's content words in another order, so every word is paired
// and the verdict is 112.
const char* const TITLE = "昨日,昨日,6,10,0,,きのう;猫,猫,6,1,0,,ねこ;の,の,9,1,0,,の;"
                          "本,本,6,1,0,,ほん;を,を,9,1,0,,を;買う,買う,2,0,12,基本形,かう;"
                          "私,私,6,1,0,,わたし;３２５円,３２５円,6,7,0,,さんびゃくにじゅうごえん";

MorphemeList parsed(const char* text)
{
    MorphemeList list = quibo::parseMorphemeText(text).front();
    list.markHeadClass();
    list.setWordMarks();
    return list;
}

void openNetwork()
{
    quibo::LanguageAnalyzer::instance()->openSemanticNetwork(std::string(QUIBO_INSTALL_TREE) +
                                                             "/QUIBO3.1/data/pstorage");
}

void BM_MergeNumerals(benchmark::State& state)
{
    const MorphemeList sentence = parsed(SENTENCE);
    for (auto _ : state)
        benchmark::DoNotOptimize(sentence.mergeNumerals());
}
BENCHMARK(BM_MergeNumerals);

void BM_MatchSequence(benchmark::State& state)
{
    openNetwork();
    const MorphemeList sentence = parsed(SENTENCE).mergeNumerals().contentWords();
    const MorphemeList title = parsed(TITLE).contentWords();
    std::vector<int> check(title.size(), -1);
    quibo::GradeClassifier checkRecord;
    state.counters["verdict"] = title.matchSequence(sentence, check, checkRecord);
    for (auto _ : state) {
        std::vector<int> indexMap(title.size(), -1);
        quibo::GradeClassifier record;
        benchmark::DoNotOptimize(title.matchSequence(sentence, indexMap, record));
        benchmark::DoNotOptimize(title.alignWords(sentence, indexMap, record));
    }
}
BENCHMARK(BM_MatchSequence);

void BM_IsMutuallyCovered(benchmark::State& state)
{
    openNetwork();
    const MorphemeList sentence = parsed(SENTENCE).mergeNumerals().contentWords();
    const MorphemeList title = parsed(TITLE).contentWords();
    for (auto _ : state)
        benchmark::DoNotOptimize(title.isMutuallyCovered(sentence));
}
BENCHMARK(BM_IsMutuallyCovered);

}  // namespace
