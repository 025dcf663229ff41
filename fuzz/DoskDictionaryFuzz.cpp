// Loads an arbitrary byte image as the Dosk dictionary and, when it loads,
// analyses a few sentences over it: a hostile file must give state -1 or
// harmless words, never a crash or an out-of-bounds read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "analysis/DoskDictionary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One folder per process (afl-fuzz starts many), removed when it ends.
    static const struct Folder {
        std::string path = std::filesystem::temp_directory_path().string() + "/dosk-fuzz-" +
                           std::to_string(::getpid());
        Folder() { std::filesystem::create_directories(path + "/dosk"); }
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } scratch;
    const std::string& folder = scratch.path;
    const std::string file = folder + "/dosk/dosk.dic";
    if (FILE* out = std::fopen(file.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    quibo::DoskDictionary dictionary(folder + "/juman/win_.jumanrc20");
    if (dictionary.state() == 0) {
        for (const char* sentence : {"犬が走った。", "ＡＢＣ１２３テスト", "東京都の\x8E\xB6\x8E\xDE漢字"}) {
            std::string text = sentence;
            std::vector<quibo::RawWord> words;
            dictionary.analyze(text, words);
        }
    }
    std::remove(file.c_str());
    return 0;
}
