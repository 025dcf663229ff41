// knowledge-load: load times of knowledge files.  Initialises the language
// analyser from the build's install tree, then reports for the sample
// knowledge file and for a generated knowledge base of 10,000 topics (a shop
// of 1,000 products with ten questions each, compiled with the real analyser
// and saved to a temporary file): the file size, the mean load time and the
// deepest nesting of new objects its stream needs.
//
//   knowledge-load [--topics N] [--keep FILE]
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
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

// The smallest nesting bound under which the payload reads.
int neededNesting(const std::string& bytes)
{
    const std::vector<std::uint8_t> payload(bytes.begin() + KNOWLEDGE_HEADER_SIZE, bytes.end());
    for (int limit = 1; limit <= KNOWLEDGE_FILE_MAX_NESTING; ++limit) {
        CDictionary dictionary;
        try {
            CdrReader reader(payload, dictionary.arena(), limit);
            dictionary.readPayload(reader);
            return limit;
        } catch (const std::exception&) {
        }
    }
    return -1;
}

void report(const char* name, const std::string& path, int rounds)
{
    const std::string bytes = readFile(path);
    double total = 0;
    int failures = 0;
    quietly([&] {
        for (int round = 0; round < rounds; ++round) {
            CDictionary dictionary;
            const double start = nowMillis();
            failures += loadKnowledgeFile(dictionary, path) == 0 ? 0 : 1;
            total += nowMillis() - start;
        }
    });
    std::printf("%s: %zu bytes, load %.3f ms (mean of %d), nesting %d%s\n", name, bytes.size(), total / rounds,
                rounds, neededNesting(bytes), failures ? ", LOAD FAILED" : "");
}

// A shop of products, ten questions each.
std::string generatedSource(int topics)
{
    const char* aspects[] = {U8(u8"値段"), U8(u8"在庫"), U8(u8"色"), U8(u8"大きさ"), U8(u8"重さ"),
                             U8(u8"素材"), U8(u8"保証"), U8(u8"送料"), U8(u8"発売日"), U8(u8"使い方")};
    const int products = (topics + 9) / 10;
    std::ostringstream out;
    for (const char* aspect : aspects)
        out << "entity " << aspect << " flags=1\n";
    for (int category = 0; category < 20; ++category)
        out << "entity " << U8(u8"分類") << category << " flags=8\n";
    out << U8(u8"predicative 教える\n");
    for (int product = 0; product < products; ++product) {
        out << "entity " << U8(u8"商品") << product << " flags=1\n";
        out << "related " << U8(u8"商品") << product << " " << U8(u8"分類") << product % 20 << "\n";
    }
    int made = 0;
    for (int product = 0; product < products && made < topics; ++product) {
        for (const char* aspect : aspects) {
            if (made++ >= topics)
                break;
            const std::string name = std::string(U8(u8"商品")) + std::to_string(product) + aspect;
            out << "table " << name << "\ngroup 0\nentry " << name << U8(u8"は、お問い合わせください。 | 商品=")
                << product << "\ngroup 9 type=1\nentry " << name << U8(u8"の詳しいご案内です。\ngroup 8\nentry ")
                << U8(u8"ほかにご質問はありますか？\n");
            out << "topic " << name << " table=" << name << " entities=" << U8(u8"商品") << product << "," << aspect
                << "\n";
            out << "title X_Y_N source=" << U8(u8"商品") << product << U8(u8"の") << aspect << U8(u8"を教えて x=") << U8(u8"商品")
                << product << " y=" << aspect << "\n";
            out << "title X_A_N source=" << U8(u8"商品") << product << U8(u8"の") << aspect << U8(u8"は？ x=") << aspect << "\n";
        }
    }
    return out.str();
}

}  // namespace

int main(int argc, char** argv)
{
    int topics = 10000;
    std::string keep;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--topics" && k + 1 < argc)
            topics = std::atoi(argv[++k]);
        else if (arg == "--keep" && k + 1 < argc)
            keep = argv[++k];
    }
    const std::string root = std::string(QUIBO_INSTALL_TREE) + "/";
    setenv("QUIBO_REGISTRY", (root + "registry").c_str(), 0);
    int started = -1;
    quietly([&] { started = LanguageAnalyzer::instance()->init(root + "juman/rc", true); });
    if (started != 0) {
        std::fprintf(stderr, "knowledge-load: the analyser does not start (%d)\n", started);
        return 1;
    }

    report("sample", root + "QUIBO3.1/knowledge/sample/index.pdata", 200);

    const std::string path = keep.empty() ? "/tmp/quibo-knowledge-load.pdata" : keep;
    std::unique_ptr<CDictionary> generated;
    const double compileStart = nowMillis();
    quietly([&] { generated = KnowledgeCompiler(KnowledgeCompiler::languageAnalyzer()).compile(generatedSource(topics)); });
    const double compiled = nowMillis() - compileStart;
    int saved = -1;
    quietly([&] { saved = saveKnowledgeFile(*generated, path); });
    if (saved != 0)
        return 1;
    std::printf("generated: %zu topics, compiled in %.0f ms\n", generated->topics().size(), compiled);
    generated.reset();
    report("generated", path, 5);
    if (keep.empty())
        std::remove(path.c_str());
    LanguageAnalyzer::deleteInstance();
    return 0;
}
