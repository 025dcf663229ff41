// kb-compile SOURCE OUTPUT [--install DIR]
// Compiles a readable knowledge-base source into a knowledge file, analysing
// every text with the language analyser of the install tree DIR (default:
// the tree named by QUIBO_REGISTRY).
#include "analysis/ConsoleLine.h"
#include "analysis/LanguageAnalyzer.h"
#include "tools/KnowledgeCompiler.h"

#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    std::string source;
    std::string output;
    std::string install;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--install" && k + 1 < argc)
            install = argv[++k];
        else if (source.empty())
            source = arg;
        else if (output.empty())
            output = arg;
        else
            source.clear();
    }
    if (source.empty() || output.empty()) {
        std::cerr << "usage: kb-compile SOURCE OUTPUT [--install DIR]" << std::endl;
        return 2;
    }
    if (!install.empty()) {
        if (install.back() != '/')
            install += '/';
        setenv("QUIBO_REGISTRY", (install + "registry").c_str(), 1);
    }
    // The engine's progress and the reasons of its failures are the tool's
    // messages: they go to standard error.
    quibo::setConsoleStream(stderr);
    quibo::setConsoleErrorStream(stderr);
    quibo::LanguageAnalyzer* analyzer = quibo::LanguageAnalyzer::instance();
    const int rc = analyzer ? analyzer->init(install + "juman/rc", true) : -1;
    if (rc != 0) {
        std::cerr << "kb-compile: the language analyser does not start (" << rc << ")" << std::endl;
        return 1;
    }
    const int result = quibo::KnowledgeCompiler(quibo::KnowledgeCompiler::languageAnalyzer()).compileFile(source, output);
    quibo::LanguageAnalyzer::deleteInstance();
    return result == 0 ? 0 : 1;
}
