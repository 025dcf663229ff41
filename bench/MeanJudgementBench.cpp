// The meaning judgement of analysed sentences by the install tree's meaning
// dictionary: one judgement per iteration over the analyser's words of each
// sentence (the judgement rewrites its list, so each iteration judges a fresh
// copy; BM_CopyWords is the copy alone).
#include "analysis/LanguageAnalyzer.h"
#include "analysis/MorphemeList.h"
#include "meaning/MeanDictionary.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using quibo::MorphemeList;

// The analyser's words of the sentences, as the analyser gives them.
const char* const SENTENCES[] = {
    // "パソコンの使い方を教えてください"
    "パソコン,パソコン,6,1,0,,パソコン;の,の,9,3,0,,ノ;使い,使う,2,0,12,基本連用形,ツカイ;方,方,14,1,0,,カタ;"
    "を,を,9,1,0,,ヲ;教えて,教える,2,0,1,タ系連用テ形,オシエテ;ください,くださる,14,7,11,命令形,クダサイ",
    // "明日の天気はどうですか"
    "明日,明日,6,10,0,,アス;の,の,9,3,0,,ノ;天気,天気,6,1,0,,テンキ;は,は,9,2,0,,ハ;どう,どう,7,3,0,,ドウ;"
    "です,だ,4,0,25,デス列基本形,デス;か,か,9,3,0,,カ",
    // "こんにちは"
    "こんにちは,こんにちは,12,0,0,,コンニチハ",
    // "気に入りました"
    "気,気,6,1,0,,キ;に,に,9,1,0,,ニ;入り,入る,2,0,10,基本連用形,ハイリ;ました,ます,14,7,31,タ形,マシタ",
};

const quibo::MeanDictionary& installedDictionary()
{
    static const quibo::MeanDictionary dictionary = [] {
        quibo::LanguageAnalyzer::instance()->openSemanticNetwork(std::string(QUIBO_INSTALL_TREE) +
                                                                 "/QUIBO3.1/data/pstorage");
        quibo::MeanDictionary loaded;
        loaded.load(std::string(QUIBO_INSTALL_TREE) + "/QUIBO3.1/data/mean_dictionary.dat");
        return loaded;
    }();
    return dictionary;
}

void BM_Judge(benchmark::State& state)
{
    const quibo::MeanDictionary& dictionary = installedDictionary();
    const MorphemeList sentence = quibo::parseMorphemeText(SENTENCES[state.range(0)]).front();
    const std::vector<int> previous{-1};
    std::size_t contents = 0;
    for (auto _ : state) {
        MorphemeList words = sentence;
        const quibo::MeanEntry entry = dictionary.match("", words, previous);
        contents = entry.getMeanContents().size();
        benchmark::DoNotOptimize(words);
    }
    state.counters["words"] = static_cast<double>(sentence.size());
    state.counters["contents"] = static_cast<double>(contents);
}
BENCHMARK(BM_Judge)->DenseRange(0, 3);

void BM_CopyWords(benchmark::State& state)
{
    const MorphemeList sentence = quibo::parseMorphemeText(SENTENCES[state.range(0)]).front();
    for (auto _ : state) {
        MorphemeList words = sentence;
        benchmark::DoNotOptimize(words);
    }
}
BENCHMARK(BM_CopyWords)->DenseRange(0, 3);

}  // namespace
