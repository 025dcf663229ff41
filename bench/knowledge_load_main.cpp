// knowledge-load: load and save times of knowledge files.  Initialises the
// language analyser from the build's install tree, then reports for the
// sample knowledge file and for generated, connected knowledge bases of
// 1,000, 10,000 and 100,000 topics (a shop whose products are compared in
// a chain: the title of topic k names products k and k + 1, so that the
// stream nests new objects as deeply as the chain is long), each compiled
// with the real analyser: the file size, the objects carried, the deepest
// nesting, the mean load and save times, whether a loaded base saves to the
// same bytes, and for the largest the peak resident size of a process that
// only loads and saves it.
//
//   knowledge-load [--topics N[,N...]] [--keep DIR]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/LanguageAnalyzer.h"
#include "bench/BenchSupport.h"
#include "knowledge/CDictionary.h"
#include "knowledge/CdrReader.h"
#include "knowledge/KnowledgeFile.h"
#include "tools/KnowledgeCompiler.h"

namespace {

using quibo::bench::nowMillis;
using quibo::bench::quietly;

using namespace quibo;

// The source is UTF-8 text.
const char* U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string readFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::string bytes;
    if (!file)
        return bytes;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

struct StreamShape {
    std::int32_t objects = 0;
    std::size_t nesting = 0;
};

StreamShape shapeOf(const std::string& bytes)
{
    const std::vector<std::uint8_t> payload(bytes.begin() + KNOWLEDGE_HEADER_SIZE, bytes.end());
    CDictionary dictionary;
    CdrReader reader(payload, dictionary.arena(), KNOWLEDGE_FILE_MAX_OBJECTS);
    StreamShape shape;
    quietly([&] {
        dictionary.readPayload(reader);
        shape = {reader.refs().nextNumber() - 1, reader.deepestNesting()};
    });
    return shape;
}

// Mean load and save times over the rounds; false when a load fails or a
// loaded base saves to other bytes.
bool timeLoadAndSave(const std::string& path, int rounds, double& load, double& save)
{
    const std::string copy = path + ".again";
    const std::string original = readFile(path);
    bool same = true;
    load = save = 0;
    quietly([&] {
        for (int round = 0; round < rounds; ++round) {
            CDictionary dictionary;
            double start = nowMillis();
            same = same && loadKnowledgeFile(dictionary, path) == 0;
            load += nowMillis() - start;
            start = nowMillis();
            same = same && saveKnowledgeFile(dictionary, copy) == 0;
            save += nowMillis() - start;
        }
    });
    same = same && readFile(copy) == original;
    std::remove(copy.c_str());
    load /= rounds;
    save /= rounds;
    return same;
}

// Peak resident size in MB of a child process that loads and saves the file.
double peakResidentMegabytes(const std::string& path)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        CDictionary dictionary;
        int failed = 0;
        quietly([&] { failed = loadKnowledgeFile(dictionary, path) != 0 || saveKnowledgeFile(dictionary, path + ".rss") != 0; });
        std::remove((path + ".rss").c_str());
        _exit(failed);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || status != 0)
        return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A shop: `topics` products in a chain, each with a comparison topic that
// names it and the next product, and a reply table of three groups.
std::string connectedSource(int topics)
{
    const std::string product = U8(u8"商品");
    std::ostringstream out;
    for (int category = 0; category < 20; ++category)
        out << "entity " << U8(u8"分類") << category << " flags=8\n";
    out << U8(u8"predicative 教える\n");
    for (int k = 0; k <= topics; ++k) {
        out << "entity " << product << k << " flags=1\n";
        out << "related " << product << k << " " << U8(u8"分類") << k % 20 << "\n";
    }
    for (int k = 0; k < topics; ++k) {
        const std::string a = product + std::to_string(k);
        const std::string b = product + std::to_string(k + 1);
        out << "table " << a << "\ngroup 0\nentry " << a << U8(u8"は") << b << U8(u8"より軽くできています。 | 商品=") << k
            << "\ngroup 9 type=1\nentry " << a << U8(u8"の詳しいご案内です。\ngroup 8\nentry ")
            << U8(u8"ほかにご質問はありますか？\n");
        out << "topic " << a << " table=" << a << " entities=" << a << "," << b << "\n";
        out << "title X_Y_N source=" << a << U8(u8"と") << b << U8(u8"の違いを教えて x=") << a << " y=" << b << "\n";
        out << "title X_A_N source=" << a << U8(u8"の値段は？ x=") << a << "\n";
    }
    return out.str();
}

void reportSample(const std::string& path)
{
    double load = 0;
    double save = 0;
    const bool same = timeLoadAndSave(path, 200, load, save);
    std::printf("sample: %zu bytes, load %.3f ms, save %.3f ms%s\n", readFile(path).size(), load, save,
                same ? "" : ", SAVES TO OTHER BYTES");
}

bool reportGenerated(int topics, const std::string& path, bool largest)
{
    std::unique_ptr<CDictionary> generated;
    const double compileStart = nowMillis();
    quietly([&] {
        try {
            generated = KnowledgeCompiler(KnowledgeCompiler::languageAnalyzer()).compile(connectedSource(topics));
        } catch (const std::exception&) {
        }
    });
    const double compiled = nowMillis() - compileStart;
    int saved = -1;
    if (generated)
        quietly([&] { saved = saveKnowledgeFile(*generated, path); });
    generated.reset();
    if (saved != 0) {
        std::printf("%d topics: COMPILE OR SAVE FAILED\n", topics);
        return false;
    }
    const std::string bytes = readFile(path);
    const StreamShape shape = shapeOf(bytes);
    double load = 0;
    double save = 0;
    const bool same = timeLoadAndSave(path, topics >= 100000 ? 2 : topics >= 10000 ? 5 : 20, load, save);
    std::printf("%d topics: compiled in %.0f ms, %zu bytes, %d objects, nesting %zu, load %.1f ms, save %.1f ms, %s",
                topics, compiled, bytes.size(), shape.objects, shape.nesting, load, save,
                same ? "saves to the same bytes" : "SAVES TO OTHER BYTES");
    if (largest)
        std::printf(", peak RSS of a load and save %.0f MB", peakResidentMegabytes(path));
    std::printf("\n");
    return same;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes = {1000, 10000, 100000};
    std::string folder = "/tmp";
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--topics" && k + 1 < argc) {
            sizes.clear();
            std::istringstream list(argv[++k]);
            for (std::string size; std::getline(list, size, ',');)
                sizes.push_back(std::atoi(size.c_str()));
        } else if (arg == "--keep" && k + 1 < argc) {
            folder = argv[++k];
        }
    }
    const std::string root = std::string(QUIBO_INSTALL_TREE) + "/";
    setenv("QUIBO_REGISTRY", (root + "registry").c_str(), 0);
    int started = -1;
    quietly([&] { started = LanguageAnalyzer::instance()->init(root + "juman/rc", true); });
    if (started != 0) {
        std::fprintf(stderr, "knowledge-load: the analyser does not start (%d)\n", started);
        return 1;
    }

    reportSample(root + "QUIBO3.1/knowledge/sample/index.pdata");
    bool good = true;
    for (std::size_t k = 0; k < sizes.size(); ++k) {
        const std::string path = folder + "/quibo-knowledge-load-" + std::to_string(sizes[k]) + ".pdata";
        good = reportGenerated(sizes[k], path, k + 1 == sizes.size()) && good;
        if (folder == "/tmp")
            std::remove(path.c_str());
    }
    LanguageAnalyzer::deleteInstance();
    return good ? 0 : 1;
}
