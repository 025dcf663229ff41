#include "analysis/NumberSynonymTable.h"

#include "analysis/ConsoleLine.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace quibo {
namespace {

// The longest line the file may hold, LF not counted.
constexpr std::size_t MAX_LINE_LENGTH = 1023;

// "０" is A3 B0, ... "９" is A3 B9.
constexpr unsigned char FULLWIDTH_DIGIT_LEAD = 0xA3;
constexpr unsigned char FULLWIDTH_DIGIT_ZERO = 0xB0;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads one line into `line` without its LF.  A longer line than the file
// may hold is read to its end and reported as too long, so reading moves on.
enum class LineRead { Line, TooLong, End };

LineRead readLine(std::FILE* file, std::string& line)
{
    line.clear();
    int c = std::fgetc(file);
    if (c == EOF) {
        return LineRead::End;
    }
    bool tooLong = false;
    for (; c != EOF && c != '\n'; c = std::fgetc(file)) {
        if (line.size() < MAX_LINE_LENGTH) {
            line.push_back(static_cast<char>(c));
        } else {
            tooLong = true;
        }
    }
    return tooLong ? LineRead::TooLong : LineRead::Line;
}

}  // namespace

short NumberSynonymTable::load(const std::string& path)
{
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        // The path is written as the file system spells it, unconverted.
        if (std::FILE* console = consoleStream()) {
            std::fprintf(console, "Cannot open %s!\n", path.c_str());
            std::fflush(console);
        }
        return -1;
    }
    std::string line;
    for (LineRead read; (read = readLine(file.get(), line)) != LineRead::End;) {
        if (read == LineRead::TooLong || line.empty() || line[0] == '#') {
            continue;
        }
        line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) {
            continue;
        }
        IntervalWUnit interval(line.substr(tab + 1));
        // A half-parsed interval would bound nothing and make the word a
        // synonym of every numeral of its unit: the line is left out.
        if (!interval.isWellFormed()) {
            continue;
        }
        m_entries.emplace(line.substr(0, tab), std::move(interval));
    }
    return 0;
}

std::vector<std::string> NumberSynonymTable::lookup(const std::string& numeralWord) const
{
    std::string digits;
    std::size_t p = 0;
    while (p + 1 < numeralWord.size() &&
           static_cast<unsigned char>(numeralWord[p]) == FULLWIDTH_DIGIT_LEAD) {
        const unsigned char trail = static_cast<unsigned char>(numeralWord[p + 1]);
        if (trail < FULLWIDTH_DIGIT_ZERO || trail > FULLWIDTH_DIGIT_ZERO + 9) {
            break;
        }
        digits += static_cast<char>('0' + (trail - FULLWIDTH_DIGIT_ZERO));
        p += 2;
    }
    std::vector<std::string> words;
    if (digits.empty()) {
        return words;
    }
    const IntervalWUnit value = IntervalWUnit::point(numeralWord.substr(p), digits);
    for (const auto& [word, interval] : m_entries) {
        if (interval.contains(value)) {
            words.push_back(word);
        }
    }
    return words;
}

}  // namespace quibo
