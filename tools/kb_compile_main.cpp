// kb-compile SOURCE OUTPUT [--install DIR] [--strict]
// Compiles a readable knowledge-base source into a knowledge file, analysing
// every text with the language analyser of the install tree DIR (default:
// the tree named by QUIBO_REGISTRY).  Then every title of the file is asked
// as a visitor's first question; the titles that their own text does not
// reach are reported with the reason, and with --strict they fail the
// compilation.
#include "analysis/ConsoleLine.h"
#include "analysis/LanguageAnalyzer.h"
#include "dialogue/ChatService.h"
#include "tools/KnowledgeCompiler.h"
#include "tools/KnowledgeReach.h"

#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    std::string source;
    std::string output;
    std::string install;
    bool strict = false;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--install" && k + 1 < argc)
            install = argv[++k];
        else if (arg == "--strict")
            strict = true;
        else if (source.empty())
            source = arg;
        else if (output.empty())
            output = arg;
        else
            source.clear();
    }
    if (source.empty() || output.empty()) {
        std::cerr << "usage: kb-compile SOURCE OUTPUT [--install DIR] [--strict]" << std::endl;
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
    if (quibo::KnowledgeCompiler(quibo::KnowledgeCompiler::languageAnalyzer()).compileFile(source, output) != 0) {
        quibo::LanguageAnalyzer::deleteInstance();
        return 1;
    }
    // The service takes the analyser over and ends it.
    quibo::KnowledgeReach::Report report;
    {
        quibo::ChatService service("", 1, output, install + "juman/rc", "", "", 1);
        report = quibo::KnowledgeReach::check(service);
    }
    std::cerr << source << ": ";
    quibo::KnowledgeReach::print(report, std::cerr);
    if (strict && report.reached != report.asked) {
        std::cerr << "kb-compile: --strict: " << report.asked - report.reached << " titles are not reached"
                  << std::endl;
        return 1;
    }
    return 0;
}
