// dosk-compile: builds dosk.dic from the JUMAN dictionary in MeCab's layout.
//   dosk-compile [--juman DIR] [--no-ranges] [--kanji-range] [--corrections FILE] OUTPUT
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/JumanDictionaryCompiler.h"

int main(int argc, char** argv)
{
    quibo::JumanCompileOptions options;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--juman") == 0 && i + 1 < argc)
            options.sourceDir = argv[++i];
        else if (std::strcmp(argv[i], "--no-ranges") == 0)
            options.characterRanges = false;
        else if (std::strcmp(argv[i], "--corrections") == 0 && i + 1 < argc)
            options.correctionsPath = argv[++i];
        else if (std::strcmp(argv[i], "--kanji-range") == 0)
            options.kanjiRange = true;
        else
            output = argv[i];
    }
    if (output.empty()) {
        std::fprintf(stderr, "usage: dosk-compile [--juman DIR] [--no-ranges] [--kanji-range] [--corrections FILE] OUTPUT\n");
        return 2;
    }
    quibo::JumanCompileReport report;
    if (!quibo::compileJumanDictionary(options, output, report)) {
        std::fprintf(stderr, "dosk-compile: %s\n", report.error.c_str());
        return 1;
    }
    std::printf("dosk-compile: %d rows, %d words written; dropped: %d not convertible, %d without "
                "round trip, %d over length, %d for reading characters, %d one-letter signs left to "
                "the Latin letters' range; %d rows added by the corrections; %d rows through the form fallback table; %zu class names "
                "unmatched\n",
                report.rows, report.write.written, report.droppedConversion, report.write.droppedText,
                report.write.droppedLength, report.write.droppedReadingChars, report.latinLetterSymbols, report.correctionRows,
                report.fallbackRows, report.unmatchedNames.size());
    return 0;
}
