// dosk-agreement: runs the Dosk analyser and MeCab (libmecab) over a corpus
// of Japanese sentences taken from the Japanese message catalogues of the
// installed Debian packages (/usr/share/locale/ja/LC_MESSAGES/*.mo), JIS X
// 0208 characters only, and reports
//   - agreement on surfaces and the four class attributes, per sentence,
//     for a dictionary compiled without character ranges (over sentences in
//     which MeCab finds no unknown word) and for the production dictionaries.
//     MeCab runs on a system dictionary built here by Debian's
//     mecab-dict-index from the very files dosk.dic is compiled from (the
//     same CSV files, matrix.def, char.def, unk.def); the stock dictionary of
//     mecab-jumandic-utf8, which also holds Wikipedia.csv, Auto.csv and
//     Emoticon.csv, gives a second figure;
//   - agreement of the production dictionary on sentences with Latin letters
//     (ASCII widened to full width, as the analyser's cleaning does), whole
//     and on word boundaries alone: MeCab names unknown Latin runs 名詞,
//     Dosk 未定義語, so only the boundaries can agree on those words;
//   - over the help-desk questions (data/helpdesk_questions.txt), the
//     readings of JUMAN, built from Debian's source package by
//     bench/build-juman.sh when it is not there: sentences whose word
//     boundaries differ (a boundary inside a numeral and its counter, such
//     as 何時 or １番, counts as agreeing, since the engine merges those
//     words later) and sentences in which a verb JUMAN reads gets another
//     base form here, every difference listed in the differences file;
//   - throughput of both analysers on one thread, the dictionary load time,
//     and each analyser's peak RSS (measured in a child process each).
// MeCab's dictionary and the dictionaries compiled here take the same
// corrections (data/dosk_corrections.txt), so that the agreement measures
// the analyser; the stock dictionary shows how far the corrections moved
// the readings.
//   dosk-agreement [--sentences N] [--differences FILE] [--corpus FILE]
//                  [--questions FILE] [--juman PROGRAM] [--no-corrections]
#include "tools/EucText.h"

#include <mecab.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "analysis/DoskDictionary.h"
#include "analysis/Vocabulary.h"
#include "tools/DoskCorrections.h"
#include "tools/JumanDictionaryCompiler.h"

namespace {

using namespace quibo;

constexpr const char* STOCK_MECAB_ARGS = "-d /var/lib/mecab/dic/juman-utf8";
constexpr const char* DICT_INDEX = "/usr/lib/mecab/mecab-dict-index";  // Debian's mecab-utils
constexpr const char* CATALOGUES = "/usr/share/locale/ja/LC_MESSAGES";
// The corrections both analysers take; none with --no-corrections.
std::string corrections = std::string(QUIBO_SOURCE_DIR) + "/data/dosk_corrections.txt";

double seconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Both directions between the corpus's UTF-8 and the engine's EUC-JP.
struct Converter {
    bool toEucJp;
    bool operator()(const std::string& in, std::string& out) const
    {
        return toEucJp ? quibo::tools::toEucJp(in, out) : quibo::tools::toUtf8(in, out);
    }
};

// Translations of one GNU message catalogue.
std::vector<std::string> catalogueStrings(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::string> strings;
    auto word = [&](std::size_t at) -> std::uint32_t {
        if (at + 4 > bytes.size()) return 0;
        std::uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    if (word(0) != 0x950412de) return strings;
    std::uint32_t count = word(8), translations = word(16);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t length = word(translations + 8 * i), offset = word(translations + 8 * i + 4);
        if (offset + static_cast<std::uint64_t>(length) > bytes.size()) break;
        strings.emplace_back(bytes.data() + offset, length);
    }
    return strings;
}

struct Sentence {
    std::string utf8;
    std::string euc;
};

// Printable ASCII as its full-width form, U+FF01 to U+FF5E (UTF-8).
std::string widenAscii(const std::string& utf8)
{
    std::string wide;
    for (const char c : utf8) {
        if (c < 0x21 || c > 0x7E) {
            wide.push_back(c);
            continue;
        }
        const unsigned code = 0xFF01u + static_cast<unsigned>(c - 0x21);
        wide.push_back(static_cast<char>(0xE0 | (code >> 12)));
        wide.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        wide.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    return wide;
}

// Every character a two-byte JIS X 0208 character other than the full-width
// space.
bool isJisText(const std::string& euc)
{
    bool jis = euc.size() % 2 == 0;
    for (std::size_t i = 0; jis && i < euc.size(); i += 2) {
        auto a = static_cast<unsigned char>(euc[i]), b = static_cast<unsigned char>(euc[i + 1]);
        jis = a >= 0xA1 && a <= 0xF4 && b >= 0xA1 && b <= 0xFE && !(a == 0xA1 && b == 0xA1);
    }
    return jis;
}

bool hasLatinLetter(const std::string& euc)
{
    for (std::size_t i = 0; i + 1 < euc.size(); i += 2) {
        auto a = static_cast<unsigned char>(euc[i]), b = static_cast<unsigned char>(euc[i + 1]);
        if (a == 0xA3 && ((b >= 0xC1 && b <= 0xDA) || (b >= 0xE1 && b <= 0xFA))) return true;
    }
    return false;
}

// Sentences cut at 。！？ and line ends, kept when every character is a
// two-byte JIS X 0208 character other than the full-width space.  Those with
// a Latin letter once ASCII is widened also go to `latin`.
std::vector<Sentence> buildCorpus(std::size_t limit, std::vector<std::string>& sources,
                                  std::vector<Sentence>& latin)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(CATALOGUES))
        if (entry.path().extension() == ".mo") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    Converter toEuc{true};
    std::set<std::string> seen, seenLatin;
    std::vector<Sentence> corpus;
    for (const auto& file : files) {
        std::size_t before = corpus.size();
        for (const std::string& message : catalogueStrings(file)) {
            std::string current;
            auto flush = [&] {
                std::string euc;
                if (current.size() >= 12 && toEuc(current, euc) && !seen.count(euc) && isJisText(euc) &&
                    corpus.size() < limit) {
                    seen.insert(euc);
                    corpus.push_back({current, euc});
                }
                const std::string wide = widenAscii(current);
                if (current.size() >= 12 && latin.size() < limit && toEuc(wide, euc) && hasLatinLetter(euc) &&
                    isJisText(euc) && seenLatin.insert(euc).second)
                    latin.push_back({wide, euc});
                current.clear();
            };
            for (std::size_t i = 0; i < message.size(); ++i) {
                char c = message[i];
                if (c == '\n' || c == '\0') {
                    flush();
                    continue;
                }
                current.push_back(c);
                for (const char* end : {"\xE3\x80\x82", "\xEF\xBC\x81", "\xEF\xBC\x9F"})  // 。！？ in UTF-8
                    if (current.size() >= 3 && current.compare(current.size() - 3, 3, end) == 0) flush();
            }
            flush();
        }
        if (corpus.size() > before) sources.push_back(file.filename().string());
        if (corpus.size() >= limit) break;
    }
    return corpus;
}

struct Word {
    std::string surface;
    int attributes[4] = {0, 0, 0, 0};
    bool operator==(const Word& o) const
    {
        return surface == o.surface && std::equal(attributes, attributes + 4, o.attributes);
    }
};

std::string describe(const std::vector<Word>& words, const Converter& toUtf8)
{
    std::string text;
    for (const Word& w : words) {
        std::string surface;
        toUtf8(w.surface, surface);
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "(%d,%d,%d,%d) ", w.attributes[0], w.attributes[1],
                      w.attributes[2], w.attributes[3]);
        text += surface + buffer;
    }
    return text;
}

// MeCab's words for a sentence, attributes through the compiler's tables;
// `unknown` tells whether MeCab used an unknown word.
std::vector<Word> mecabWords(mecab_t* mecab, const std::string& utf8, bool& unknown, bool& leftOut,
                             const Converter& toEuc)
{
    std::vector<Word> words;
    unknown = leftOut = false;
    for (const mecab_node_t* node = mecab_sparse_tonode(mecab, utf8.c_str()); node; node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE) continue;
        if (node->stat == MECAB_UNK_NODE) unknown = true;
        // Rows of Wikipedia.csv and Auto.csv, which dosk.dic leaves out, are
        // marked 自動獲得 (automatically acquired).
        if (std::strstr(node->feature, "\xE8\x87\xAA\xE5\x8B\x95\xE7\x8D\xB2\xE5\xBE\x97")) leftOut = true;
        Word word;
        toEuc(std::string(node->surface, node->length), word.surface);
        std::string feature;
        toEuc(node->feature, feature);
        std::vector<std::string> f;
        std::size_t start = 0;
        for (std::size_t i = 0; i <= feature.size(); ++i)
            if (i == feature.size() || feature[i] == ',') {
                f.push_back(feature.substr(start, i - start));
                start = i + 1;
            }
        if (f.size() >= 4) {
            jumanPosIds(f[0], f[1], word.attributes[0], word.attributes[1]);
            for (std::size_t t = 1; t < CONJUGATION_TYPE_NAMES.size(); ++t)
                if (CONJUGATION_TYPE_NAMES[t] == f[2]) word.attributes[2] = static_cast<int>(t);
            word.attributes[3] = std::max(0, jumanConjugationFormId(f[3]));
        }
        words.push_back(word);
    }
    return words;
}

std::vector<Word> doskWords(const DoskDictionary& dictionary, const std::string& euc)
{
    std::string text = euc;
    std::vector<RawWord> raw;
    dictionary.analyze(text, raw);
    std::vector<Word> words;
    for (const RawWord& r : raw)
        words.push_back({r.surface, {r.posClass, r.posSubclass, r.conjugationType, r.conjugationForm}});
    return words;
}

struct Agreement {
    int known = 0, knownAgree = 0;            // MeCab used no unknown word
    int comparable = 0, comparableAgree = 0;  // ... nor a word of the left-out files
    int all = 0, allAgree = 0;
};

Agreement measureAgreement(const std::string& dictionaryPath, const std::vector<Sentence>& corpus,
                           mecab_t* mecab, FILE* differences, const char* label, bool boundariesOnly = false)
{
    Converter toEuc{true}, toUtf8{false};
    Agreement result;
    auto dictionary = std::make_unique<DoskDictionary>(dictionaryPath);
    if (dictionary->state() != 0) {
        std::fprintf(stderr, "cannot load %s\n", dictionaryPath.c_str());
        return result;
    }
    for (const Sentence& s : corpus) {
        bool unknown, leftOut;
        std::vector<Word> theirs = mecabWords(mecab, s.utf8, unknown, leftOut, toEuc);
        std::vector<Word> ours = doskWords(*dictionary, s.euc);
        bool agree = theirs == ours;
        if (boundariesOnly)
            agree = std::equal(theirs.begin(), theirs.end(), ours.begin(), ours.end(),
                               [](const Word& a, const Word& b) { return a.surface == b.surface; });
        ++result.all;
        result.allAgree += agree;
        if (!unknown) {
            ++result.known;
            result.knownAgree += agree;
        }
        if (!unknown && !leftOut) {
            ++result.comparable;
            result.comparableAgree += agree;
        }
        if (!agree && differences)
            std::fprintf(differences, "[%s]%s %s\n  mecab: %s\n  dosk:  %s\n", label,
                         unknown ? " (unknown)" : leftOut ? " (left-out word)" : "",
                         s.utf8.c_str(), describe(theirs, toUtf8).c_str(), describe(ours, toUtf8).c_str());
    }
    return result;
}

// Builds into `dir` a MeCab system dictionary from the lexicon files dosk.dic
// is compiled from and every definition file of the source folder, with the
// corrections dosk.dic takes: the corrected lexicon as one CSV file and the
// corrected matrix.def are written, the other files linked.
bool buildMecabDictionary(const std::filesystem::path& dir)
{
    namespace fs = std::filesystem;
    const std::string sourceDir = JumanCompileOptions().sourceDir;
    std::error_code error;
    fs::remove_all(dir, error);
    if (!fs::create_directories(dir, error)) return false;
    DoskCorrections taken;
    std::vector<std::string> contextNames, rows;
    std::string message;
    int added = 0;
    if ((!corrections.empty() && !readDoskCorrections(corrections, taken, message)) ||
        !readContextNames(sourceDir, contextNames)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return false;
    }
    const std::size_t contexts = contextNames.size();
    std::vector<std::int16_t> matrix(contexts * contexts, 0);
    {
        std::ifstream in(fs::path(sourceDir) / "matrix.def");
        std::size_t rowsIn = 0, columns = 0;
        if (!(in >> rowsIn >> columns) || rowsIn != contexts || columns != contexts) return false;
        for (std::size_t l, r; in >> l >> r;) {
            int cost = 0;
            in >> cost;
            if (l < contexts && r < contexts) matrix[l * contexts + r] = static_cast<std::int16_t>(cost);
        }
    }
    correctMatrix(taken, contextNames, matrix);
    for (const fs::path& input : jumanLexiconFiles(sourceDir)) {
        std::ifstream in(input);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) rows.push_back(line);
    }
    if (!correctLexicon(taken, sourceDir, contextNames, matrix, rows, added, message)) return false;
    {
        std::ofstream out(dir / "lexicon.csv");
        for (const std::string& row : rows) out << row << '\n';
    }
    {
        std::ofstream out(dir / "matrix.def");
        out << contexts << ' ' << contexts << '\n';
        for (std::size_t l = 0; l < contexts; ++l)
            for (std::size_t r = 0; r < contexts; ++r) out << l << ' ' << r << ' ' << matrix[l * contexts + r] << '\n';
    }
    for (const auto& item : fs::directory_iterator(sourceDir, error))
        if (item.path().extension() != ".csv" && item.path().filename() != "matrix.def") {
            fs::create_symlink(item.path(), dir / item.path().filename(), error);
            if (error) return false;
        }
    const std::string command = std::string(DICT_INDEX) + " -d '" + dir.string() + "' -o '" + dir.string() +
                                "' -f UTF-8 -t UTF-8 >/dev/null";
    return std::system(command.c_str()) == 0;
}

// One word of JUMAN or of the analyser, in UTF-8.
struct Reading {
    std::string surface, baseForm;
    bool verb = false, numeral = false;
};

// JUMAN's readings of the sentences, one list per sentence; empty when
// JUMAN did not run.
std::vector<std::vector<Reading>> jumanReadings(const std::string& juman, const std::vector<std::string>& sentences)
{
    namespace fs = std::filesystem;
    const fs::path input = fs::temp_directory_path() / ("dosk-agreement-" + std::to_string(getpid()));
    {
        std::ofstream out(input);
        for (const std::string& s : sentences) out << s << '\n';
    }
    const std::string rc = (fs::path(juman).parent_path().parent_path() / "etc/jumanrc").string();
    const std::string command = "'" + juman + "' -r '" + rc + "' -b < '" + input.string() + "'";
    std::vector<std::vector<Reading>> readings;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::vector<Reading> current;
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe)) {
            std::string line(buffer);
            if (line.starts_with("EOS")) {
                readings.push_back(std::move(current));
                current.clear();
                continue;
            }
            if (line.starts_with("@ ")) continue;  // another reading of the word above
            std::vector<std::string> f;
            std::size_t start = 0;
            for (std::size_t i = 0; i <= line.size() && f.size() < 6; ++i)
                if (i == line.size() || line[i] == ' ') {
                    f.push_back(line.substr(start, i - start));
                    start = i + 1;
                }
            if (f.size() < 6) continue;
            // surface, reading, base form, POS, its id, sub-POS
            current.push_back({f[0], f[2], f[3] == "\xE5\x8B\x95\xE8\xA9\x9E", f[5] == "\xE6\x95\xB0\xE8\xA9\x9E"});
        }
        pclose(pipe);
    }
    std::filesystem::remove(input);
    if (readings.size() != sentences.size()) readings.clear();
    return readings;
}

std::vector<Reading> doskReadings(const DoskDictionary& dictionary, const std::string& utf8)
{
    Converter toEuc{true}, toUtf8{false};
    std::string text;
    std::vector<RawWord> raw;
    std::vector<Reading> words;
    if (!toEuc(utf8, text)) return words;
    dictionary.analyze(text, raw);
    for (const RawWord& r : raw) {
        Reading w;
        toUtf8(r.surface, w.surface);
        toUtf8(r.baseForm, w.baseForm);
        w.verb = r.posClass == 2;
        w.numeral = r.posClass == 6 && r.posSubclass == 7;
        words.push_back(w);
    }
    return words;
}

// Boundaries of a reading: byte offsets at which a word ends, but the last;
// `numeralEdges` gets the offsets at which a numeral begins or ends.
std::set<std::size_t> boundaries(const std::vector<Reading>& words, std::set<std::size_t>& numeralEdges)
{
    std::set<std::size_t> cuts;
    std::size_t at = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i].numeral) numeralEdges.insert(at);
        at += words[i].surface.size();
        if (words[i].numeral) numeralEdges.insert(at);
        if (i + 1 < words.size()) cuts.insert(at);
    }
    return cuts;
}

// Whether the two readings cut the sentence at the same places.  A cut at
// the edge of a numeral in either reading counts as agreeing: the engine
// merges numerals with their counters later (何時, １番).
bool sameBoundaries(const std::vector<Reading>& theirs, const std::vector<Reading>& ours)
{
    std::set<std::size_t> excused;
    std::set<std::size_t> a = boundaries(theirs, excused), b = boundaries(ours, excused);
    for (const std::size_t at : excused) {
        a.erase(at);
        b.erase(at);
    }
    return a == b;
}

// Whether every verb JUMAN reads is a verb here with the same extent and
// base form.
bool sameVerbs(const std::vector<Reading>& theirs, const std::vector<Reading>& ours)
{
    std::size_t at = 0;
    for (const Reading& word : theirs) {
        if (word.verb) {
            std::size_t here = 0;
            bool found = false;
            for (const Reading& mine : ours) {
                if (here == at && mine.surface == word.surface) found = mine.verb && mine.baseForm == word.baseForm;
                here += mine.surface.size();
            }
            if (!found) return false;
        }
        at += word.surface.size();
    }
    return true;
}

std::string describe(const std::vector<Reading>& words)
{
    std::string text;
    for (const Reading& w : words) text += w.surface + (w.baseForm != w.surface ? "(" + w.baseForm + ")" : "") + " ";
    return text;
}

// Reads the questions with JUMAN and with `dictionaryPath`; prints the
// counts and lists each difference.
void compareWithJuman(const std::string& juman, const std::string& questionsPath, const std::string& dictionaryPath,
                      const char* label, FILE* differences)
{
    std::vector<std::string> questions;
    {
        std::ifstream in(questionsPath);
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#') questions.push_back(line);
    }
    const std::vector<std::vector<Reading>> theirs = jumanReadings(juman, questions);
    if (theirs.empty()) {
        std::printf("juman: %s gave no readings of %s\n", juman.c_str(), questionsPath.c_str());
        return;
    }
    DoskDictionary dictionary(dictionaryPath);
    int boundaryDiffer = 0, verbDiffer = 0;
    for (std::size_t i = 0; i < questions.size(); ++i) {
        const std::vector<Reading> ours = doskReadings(dictionary, questions[i]);
        const bool cutsAgree = sameBoundaries(theirs[i], ours), verbsAgree = sameVerbs(theirs[i], ours);
        boundaryDiffer += !cutsAgree;
        verbDiffer += !verbsAgree;
        if ((!cutsAgree || !verbsAgree) && differences)
            std::fprintf(differences, "[juman, %s]%s%s %s\n  juman: %s\n  dosk:  %s\n", label,
                         cutsAgree ? "" : " (boundaries)", verbsAgree ? "" : " (verbs)", questions[i].c_str(),
                         describe(theirs[i]).c_str(), describe(ours).c_str());
    }
    std::printf("juman, %s: word boundaries differ in %d/%zu questions, a verb's base form in %d/%zu\n", label,
                boundaryDiffer, questions.size(), verbDiffer, questions.size());
}

long childPeakRss(const std::function<void()>& work)
{
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        work();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        long rss = usage.ru_maxrss;
        ssize_t written = write(fds[1], &rss, sizeof rss);
        _exit(written == sizeof rss ? 0 : 1);
    }
    close(fds[1]);
    long rss = -1;
    if (read(fds[0], &rss, sizeof rss) != sizeof rss) rss = -1;
    close(fds[0]);
    int status;
    waitpid(pid, &status, 0);
    return rss;
}

}  // namespace

int main(int argc, char** argv)
{
    std::size_t limit = 5000;
    std::string differencesPath = "dosk-agreement-differences.txt";
    std::string corpusPath;  // where to keep the corpus (UTF-8, one sentence a line)
    std::string questionsPath = std::string(QUIBO_SOURCE_DIR) + "/data/helpdesk_questions.txt";
    std::string juman = std::string(QUIBO_INSTALL_TREE) + "/../juman/bin/juman";
    for (int i = 1; i < argc; ++i) {
        const bool value = i + 1 < argc;
        if (std::strcmp(argv[i], "--no-corrections") == 0)
            corrections.clear();
        else if (value && std::strcmp(argv[i], "--sentences") == 0)
            limit = std::strtoul(argv[++i], nullptr, 10);
        else if (value && std::strcmp(argv[i], "--differences") == 0)
            differencesPath = argv[++i];
        else if (value && std::strcmp(argv[i], "--corpus") == 0)
            corpusPath = argv[++i];
        else if (value && std::strcmp(argv[i], "--questions") == 0)
            questionsPath = argv[++i];
        else if (value && std::strcmp(argv[i], "--juman") == 0)
            juman = argv[++i];
    }
    std::vector<std::string> sources;
    std::vector<Sentence> latin;
    const std::vector<Sentence> corpus = buildCorpus(limit, sources, latin);
    std::size_t eucBytes = 0, utf8Bytes = 0;
    for (const Sentence& s : corpus) {
        eucBytes += s.euc.size();
        utf8Bytes += s.utf8.size();
    }
    if (!corpusPath.empty()) {
        std::ofstream out(corpusPath);
        for (const Sentence& s : corpus) out << s.utf8 << '\n';
    }
    std::printf("corpus: %zu sentences, %zu EUC-JP bytes, from %zu catalogues of %s\n", corpus.size(),
                eucBytes, sources.size(), CATALOGUES);

    const std::string benchDir = std::string(QUIBO_INSTALL_TREE) + "/../dosk-bench";
    // The installed dictionary is the corrected one.
    const std::string installed = corrections.empty() ? benchDir + "/production/dosk/dosk.dic"
                                                      : std::string(QUIBO_INSTALL_TREE) + "/dosk/dosk.dic";
    const std::string uncorrected = benchDir + "/uncorrected/dosk/dosk.dic";
    const std::string mecabArgs = "-d " + benchDir + "/mecab";
    if (!buildMecabDictionary(benchDir + "/mecab")) {
        std::fprintf(stderr, "%s failed\n", DICT_INDEX);
        return 1;
    }
    // Peak RSS, each analyser alone in a child process over the whole corpus
    // (forked before anything large is built here).
    long doskRss = childPeakRss([&] {
        DoskDictionary dictionary(installed);
        for (const Sentence& s : corpus) doskWords(dictionary, s.euc);
    });
    long mecabRss = childPeakRss([&] {
        mecab_t* mecab = mecab_new2(mecabArgs.c_str());
        if (!mecab) return;
        for (const Sentence& s : corpus)
            for (const mecab_node_t* n = mecab_sparse_tonode(mecab, s.utf8.c_str()); n; n = n->next) {
            }
        mecab_destroy(mecab);
    });

    struct Variant {
        const char* label;
        bool ranges, kanji;
        std::string path;
    } variants[] = {{"no ranges", false, false, benchDir + "/plain/dosk/dosk.dic"},
                    {"production", true, false, installed},
                    {"production + kanji range", true, true, benchDir + "/kanji/dosk/dosk.dic"}};
    std::vector<Variant> compiled(std::begin(variants), std::end(variants));
    compiled.push_back({"production, uncorrected", true, false, uncorrected});
    for (const Variant& v : compiled) {
        if (v.path == std::string(QUIBO_INSTALL_TREE) + "/dosk/dosk.dic") continue;
        std::filesystem::create_directories(std::filesystem::path(v.path).parent_path());
        JumanCompileOptions options;
        options.characterRanges = v.ranges;
        options.kanjiRange = v.kanji;
        options.correctionsPath = v.path == uncorrected ? std::string() : corrections;
        JumanCompileReport report;
        if (!compileJumanDictionary(options, v.path, report)) {
            std::fprintf(stderr, "compile failed: %s\n", report.error.c_str());
            return 1;
        }
    }

    double start = seconds();
    mecab_t* mecab = mecab_new2(mecabArgs.c_str());
    const double mecabLoad = seconds() - start;
    mecab_t* stockMecab = mecab_new2(STOCK_MECAB_ARGS);
    if (!mecab || !stockMecab) {
        std::fprintf(stderr, "mecab: %s\n", mecab_strerror(nullptr));
        return 1;
    }

    FILE* differences = std::fopen(differencesPath.c_str(), "w");
    auto report = [&](const Variant& v, mecab_t* peer, const char* label) {
        Agreement a = measureAgreement(v.path, corpus, peer, differences, label);
        auto percent = [](int part, int whole) { return whole ? 100.0 * part / whole : 0.0; };
        std::printf("agreement, %s: %d/%d = %.2f%% of sentences without MeCab unknown words; "
                    "%d/%d = %.2f%% of those without words of the left-out files; "
                    "%d/%d = %.2f%% of all sentences\n",
                    label, a.knownAgree, a.known, percent(a.knownAgree, a.known), a.comparableAgree,
                    a.comparable, percent(a.comparableAgree, a.comparable), a.allAgree, a.all,
                    percent(a.allAgree, a.all));
    };
    for (const Variant& v : variants) report(v, mecab, v.label);
    report(variants[0], stockMecab, "no ranges, stock MeCab dictionary");
    for (const bool boundaries : {false, true}) {
        const char* label = boundaries ? "latin, production, word boundaries" : "latin, production";
        Agreement a = measureAgreement(installed, latin, mecab, boundaries ? differences : nullptr, label, boundaries);
        std::printf("agreement, %s: %d/%d = %.2f%% of sentences with Latin letters; %d/%d of those without "
                    "MeCab unknown words\n",
                    label, a.allAgree, a.all, a.all ? 100.0 * a.allAgree / a.all : 0.0, a.knownAgree, a.known);
    }
    if (std::filesystem::exists(juman) ||
        std::system(("'" + std::string(QUIBO_SOURCE_DIR) + "/bench/build-juman.sh' '" +
                     std::filesystem::path(juman).parent_path().parent_path().string() + "' >/dev/null")
                        .c_str()) == 0) {
        compareWithJuman(juman, questionsPath, installed, corrections.empty() ? "production" : "production, corrected",
                         differences);
        if (!corrections.empty()) compareWithJuman(juman, questionsPath, uncorrected, "production, uncorrected", nullptr);
    } else {
        std::printf("juman: no JUMAN at %s, and bench/build-juman.sh could not build it\n", juman.c_str());
    }
    if (differences) std::fclose(differences);

    // Load time: a fresh mapping and parse each time (the last release unmaps).
    const int loads = 50;
    start = seconds();
    for (int i = 0; i < loads; ++i) DoskDictionary dictionary(installed);
    const double doskLoad = (seconds() - start) / loads;

    // Throughput, one thread: the two analysers take turns over the whole
    // corpus, and each keeps its best round, so that load from other
    // processes disturbs the ratio as little as possible.
    DoskDictionary dictionary(installed);
    const int rounds = 7;
    std::size_t sink = 0;
    std::vector<RawWord> raw;
    std::string text;
    double doskTime = 1e9, mecabTime = 1e9, stockTime = 1e9;
    auto timeMecab = [&](mecab_t* peer, double& best) {
        const double from = seconds();
        for (const Sentence& s : corpus)
            for (const mecab_node_t* n = mecab_sparse_tonode(peer, s.utf8.c_str()); n; n = n->next) ++sink;
        best = std::min(best, seconds() - from);
    };
    for (int r = 0; r < rounds; ++r) {
        start = seconds();
        for (const Sentence& s : corpus) {
            text = s.euc;
            dictionary.analyze(text, raw);
            sink += raw.size();
        }
        doskTime = std::min(doskTime, seconds() - start);
        timeMecab(mecab, mecabTime);
        timeMecab(stockMecab, stockTime);
    }
    mecab_destroy(mecab);
    mecab_destroy(stockMecab);

    const double sentences = static_cast<double>(corpus.size());
    std::printf("throughput: dosk %.0f sentences/s (%.2f MB/s of EUC-JP), mecab %.0f sentences/s "
                "(%.2f MB/s of UTF-8, %.2f MB/s of the same text in EUC-JP); ratio dosk/mecab %.2f "
                "(against the stock dictionary %.0f sentences/s, ratio %.2f)\n",
                sentences / doskTime, eucBytes / doskTime / 1e6, sentences / mecabTime,
                utf8Bytes / mecabTime / 1e6, eucBytes / mecabTime / 1e6,
                mecabTime / doskTime, sentences / stockTime, stockTime / doskTime);
    std::printf("load time: dosk %.3f ms (mapping and checks), mecab %.3f ms\n", doskLoad * 1e3, mecabLoad * 1e3);
    std::printf("peak RSS over the corpus: dosk %ld kB, mecab %ld kB (%zu)\n", doskRss, mecabRss, sink % 2);
    return 0;
}
