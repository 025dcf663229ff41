// EUC-JP <-> Shift_JIS over a few megabytes of Japanese text: our converter
// beside the nkf command, the iconv command and the C library's iconv, all on
// the same text in the same run.  Peers that are missing are skipped.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <iconv.h>
#include <string>
#include <unistd.h>

#include "analysis/CodeConverter.h"

namespace {

using quibo::CodeConverter;

// About 3 MB of prose in EUC-JP: kanji, both kana, full-width and ASCII
// letters and digits, punctuation, line ends, and a little half-width kana.
const std::string& eucText()
{
    static const std::string text = [] {
        const std::string paragraph =
            "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"
            "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。\n"
            "東京タワーの高さは333メートル、スカイツリーは６３４ｍです。"
            "ＱＵＩＢＯに質問してください：「今日の天気はどうですか？」\n"
            "The quick brown fox jumps over the lazy dog. ﾃｽﾄ用のﾃﾞｰﾀ。\n";
        std::string all;
        while (all.size() < 3 * 1024 * 1024)
            all += paragraph;
        return all;
    }();
    return text;
}

const std::string& sjisText()
{
    static const std::string text = [] {
        CodeConverter converter(eucText());
        return converter.convert(CodeConverter::SJIS, CodeConverter::EUC);
    }();
    return text;
}

// A file holding `text` for the command-line peers, removed at exit.
class TempFile {
public:
    explicit TempFile(const std::string& text)
    {
        char path[] = "/tmp/quibo-bench-XXXXXX";
        const int fd = mkstemp(path);
        if (fd >= 0) {
            if (write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()))
                m_path = path;
            close(fd);
        }
    }
    ~TempFile()
    {
        if (!m_path.empty())
            unlink(m_path.c_str());
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

const TempFile& eucFile()
{
    static const TempFile file(eucText());
    return file;
}

const TempFile& sjisFile()
{
    static const TempFile file(sjisText());
    return file;
}

bool installed(const char* command)
{
    return std::system((std::string("command -v ") + command + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a command and collects its output, as a caller of the command would.
std::size_t runCommand(const std::string& command)
{
    std::size_t total = 0;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        static char buffer[1 << 16];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            total += n;
        pclose(pipe);
    }
    return total;
}

void BM_Ours_EucToSjis(benchmark::State& state)
{
    CodeConverter converter(eucText());
    for (auto _ : state)
        benchmark::DoNotOptimize(converter.convert(CodeConverter::SJIS, CodeConverter::EUC));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * eucText().size()));
}

void BM_Ours_SjisToEuc(benchmark::State& state)
{
    CodeConverter converter(sjisText());
    for (auto _ : state)
        benchmark::DoNotOptimize(converter.convert(CodeConverter::EUC, CodeConverter::SJIS));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sjisText().size()));
}

void runCommandBench(benchmark::State& state, const char* program, const std::string& arguments,
                     const TempFile& input)
{
    if (!installed(program) || input.path().empty()) {
        state.SkipWithError("command not installed");
        return;
    }
    const std::string command = std::string(program) + " " + arguments + " " + input.path();
    for (auto _ : state)
        benchmark::DoNotOptimize(runCommand(command));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * eucText().size()));
}

void BM_NkfCommand_EucToSjis(benchmark::State& state) { runCommandBench(state, "nkf", "--sjis -E", eucFile()); }
void BM_NkfCommand_SjisToEuc(benchmark::State& state) { runCommandBench(state, "nkf", "--euc -S", sjisFile()); }
void BM_IconvCommand_EucToSjis(benchmark::State& state)
{
    runCommandBench(state, "iconv", "-f EUC-JP-MS -t CP932", eucFile());
}
void BM_IconvCommand_SjisToEuc(benchmark::State& state)
{
    runCommandBench(state, "iconv", "-f CP932 -t EUC-JP-MS", sjisFile());
}

void runIconvBench(benchmark::State& state, const char* to, const char* from, const std::string& input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv cannot convert these codes");
        return;
    }
    std::string output(2 * input.size(), '\0');
    for (auto _ : state) {
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* out = output.data();
        std::size_t outLeft = output.size();
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(iconv(cd, &in, &inLeft, &out, &outLeft));
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void BM_IconvLibrary_EucToSjis(benchmark::State& state) { runIconvBench(state, "CP932", "EUC-JP-MS", eucText()); }
void BM_IconvLibrary_SjisToEuc(benchmark::State& state) { runIconvBench(state, "EUC-JP-MS", "CP932", sjisText()); }

BENCHMARK(BM_Ours_EucToSjis)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NkfCommand_EucToSjis)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IconvCommand_EucToSjis)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IconvLibrary_EucToSjis)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Ours_SjisToEuc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NkfCommand_SjisToEuc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IconvCommand_SjisToEuc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IconvLibrary_SjisToEuc)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
