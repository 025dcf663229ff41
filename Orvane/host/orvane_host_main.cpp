// orvane-host [--plain] [--knowledge FILE-OR-URL] [--extension NAME]... [QUESTIONS-FILE]
// orvane-host --serve FOLDER [--port N]
#include "Orvane/host/OrvaneHost.h"

#include <ext/stdio_filebuf.h>
#include <fstream>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::string error;
    const auto options = quibo::orvane::parseHostArguments(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "orvane-host: " << error << "\n"
                  << "usage: orvane-host [--plain] [--knowledge FILE-OR-URL] [--extension NAME]... "
                     "[QUESTIONS-FILE]\n"
                     "       orvane-host --serve FOLDER [--port N]\n";
        return 2;
    }
    std::ifstream file;
    if (!options->questionsFile.empty()) {
        file.open(options->questionsFile);
        if (!file) {
            std::cerr << "orvane-host: cannot read " << options->questionsFile << "\n";
            return 1;
        }
    }
    std::istream& questions = options->questionsFile.empty() ? std::cin : file;
    const bool serving = !options->serveFolder.empty();
    // Standard output carries the conversation alone (or a serving host's
    // address): whatever else the engine writes there goes to standard
    // error instead.
    std::cout.flush();
    const int replies = dup(STDOUT_FILENO);
    if (replies < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        std::cerr << "orvane-host: cannot set the output aside\n";
        return 1;
    }
    __gnu_cxx::stdio_filebuf<char> buffer(replies, std::ios::out);
    std::ostream out(&buffer);
    return serving ? quibo::orvane::serveFolder(*options, out, std::cerr)
                   : quibo::orvane::runHost(*options, questions, out, std::cerr);
}
