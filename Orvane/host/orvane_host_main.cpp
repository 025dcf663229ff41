// orvane-host [--plain] [--knowledge FILE-OR-URL] [--extension NAME]... [QUESTIONS-FILE]
#include "Orvane/host/OrvaneHost.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    std::string error;
    const auto options = quibo::orvane::parseHostArguments(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "orvane-host: " << error << "\n"
                  << "usage: orvane-host [--plain] [--knowledge FILE-OR-URL] [--extension NAME]... "
                     "[QUESTIONS-FILE]\n";
        return 2;
    }
    if (options->questionsFile.empty()) {
        return quibo::orvane::runHost(*options, std::cin, std::cout, std::cerr);
    }
    std::ifstream questions(options->questionsFile);
    if (!questions) {
        std::cerr << "orvane-host: cannot read " << options->questionsFile << "\n";
        return 1;
    }
    return quibo::orvane::runHost(*options, questions, std::cout, std::cerr);
}
