// startup: what it costs a whole process to start the language analyser and
// analyse one line, beside MeCab (libmecab, Debian's JUMAN dictionary).
//   - first process: no shared image of the install's enciphered files
//     exists yet (removed before each run), so it deciphers and publishes;
//   - second process: the images exist and are mapped;
//   - the memory a second concurrent process adds: two processes hold their
//     analysers at once and the second's private pages (smaps_rollup
//     Private_Clean + Private_Dirty) are what it adds; its RSS and PSS
//     beside them.
// Times are wall-clock from fork to exit, the median (and the least) of N
// runs.  Warm runs leave the page cache as it is: "first" means first since
// the files changed or the machine started.  With --cold the same three are
// also measured cold: before each run the resource files (dosk.dic, pstorage,
// mean_dictionary.dat; MeCab's dictionary files for MeCab) are dropped from
// the page cache, so that they are read from the disk again.  The program and
// its libraries stay cached, and a second process still finds the shared
// images, which live in memory, not on the disk.
//
//   startup [--runs N] [--cold] [--registry FILE] [--mecab-dictionary DIR]
//   startup --probe ours|mecab [--hold] ...   (the measured child)
#include <fcntl.h>
#include <mecab.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/ConsoleLine.h"
#include "analysis/InstallPath.h"
#include "analysis/LanguageAnalyzer.h"
#include "bench/BenchSupport.h"
#include "platform/SharedImage.h"

namespace {

using namespace quibo;
using quibo::bench::nowMillis;

// The line both analyse: engine text (EUC-JP) for ours, UTF-8 for MeCab.
constexpr const char* LINE = "今日は良い天気ですね。";
const char* lineUtf8()
{
    return reinterpret_cast<const char*>(u8"今日は良い天気ですね。");
}

struct Options {
    int runs = 20;
    std::string registry = QUIBO_INSTALL_TREE "/registry";
    std::string mecabDictionary = "/var/lib/mecab/dic/juman-utf8";
    std::string probe;  // "ours" or "mecab" in the child
    bool hold = false;
    bool cold = false;
};

// The child: start, analyse one line, say "ready", and with --hold keep
// everything until standard input closes.
int runProbe(const Options& options)
{
    if (options.probe == "mecab") {
        const std::string arguments = "-d " + options.mecabDictionary;
        mecab_t* mecab = mecab_new2(arguments.c_str());
        if (!mecab || !mecab_sparse_tostr(mecab, lineUtf8())) return 1;
        std::puts("ready");
        std::fflush(stdout);
        if (options.hold) while (std::getchar() != EOF) {}
        mecab_destroy(mecab);
        return 0;
    }
    setConsoleStream(stderr);
    setenv("QUIBO_REGISTRY", options.registry.c_str(), 1);
    LanguageAnalyzer* analyzer = LanguageAnalyzer::instance();
    if (!analyzer || analyzer->init(installPath() + "juman/win_.jumanrc20", true) != 0) return 1;
    std::string surfaces;
    if (analyzer->analyze(LINE, surfaces).size() == 0) return 1;
    std::puts("ready");
    std::fflush(stdout);
    if (options.hold) while (std::getchar() != EOF) {}
    LanguageAnalyzer::deleteInstance();
    return 0;
}

struct Child {
    pid_t pid = -1;
    int toChild = -1;    // its standard input
    int fromChild = -1;  // its standard output
};

Child spawn(const char* self, const Options& options, const std::string& probe, bool hold)
{
    int in[2], out[2];
    Child child;
    if (pipe(in) != 0 || pipe(out) != 0) return child;
    child.pid = fork();
    if (child.pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 2);
        close(in[1]);
        close(out[0]);
        std::vector<const char*> argv = {self, "--probe", probe.c_str(), "--registry", options.registry.c_str(),
                                         "--mecab-dictionary", options.mecabDictionary.c_str()};
        if (hold) argv.push_back("--hold");
        argv.push_back(nullptr);
        execv(self, const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    child.toChild = in[1];
    child.fromChild = out[0];
    return child;
}

bool waitReady(const Child& child)
{
    char text[8] = {};
    std::size_t got = 0;
    while (got < 6) {
        const ssize_t n = read(child.fromChild, text + got, 6 - got);
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return std::strncmp(text, "ready\n", 6) == 0;
}

bool finish(Child& child)
{
    close(child.toChild);
    close(child.fromChild);
    int status = 0;
    waitpid(child.pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// One whole process, fork to exit, in milliseconds; negative on failure.
double timeProcess(const char* self, const Options& options, const std::string& probe)
{
    const double start = nowMillis();
    Child child = spawn(self, options, probe, false);
    const bool ready = child.pid > 0 && waitReady(child);
    const bool ok = finish(child) && ready;
    return ok ? nowMillis() - start : -1;
}

struct Timing {
    double median = 0, least = 0;
    bool ok = true;
};

template <class Before>
Timing timeRuns(int runs, Before&& before, const char* self, const Options& options, const std::string& probe)
{
    std::vector<double> times;
    Timing timing;
    for (int i = 0; i < runs; ++i) {
        before();
        const double t = timeProcess(self, options, probe);
        if (t < 0) timing.ok = false;
        times.push_back(t);
    }
    std::sort(times.begin(), times.end());
    timing.median = times[times.size() / 2];
    timing.least = times.front();
    return timing;
}

// Drops the files' pages from the page cache; returns the bytes of them that
// are still resident afterwards (pages mapped by a running process, or a
// file system that ignores the advice), so that a cold figure that is not
// cold shows as such.
std::size_t dropFromPageCache(const std::vector<std::string>& paths)
{
    std::size_t resident = 0;
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    for (const std::string& path : paths) {
        const int fd = open(path.c_str(), O_RDONLY);
        if (fd < 0) continue;
        struct stat info {};
        if (fstat(fd, &info) == 0 && info.st_size > 0) {
            posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            const std::size_t size = static_cast<std::size_t>(info.st_size);
            void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
            if (map != MAP_FAILED) {
                std::vector<unsigned char> pages((size + page - 1) / page);
                if (mincore(map, size, pages.data()) == 0)
                    for (unsigned char p : pages) resident += (p & 1) ? page : 0;
                munmap(map, size);
            }
        }
        close(fd);
    }
    return resident;
}

struct Memory {
    long privateKb = -1, rssKb = -1, pssKb = -1;
};

Memory memoryOf(pid_t pid)
{
    Memory memory;
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    long privateClean = -1, privateDirty = -1;
    for (std::string line; std::getline(in, line);) {
        char key[64];
        long value = 0;
        if (std::sscanf(line.c_str(), "%63s %ld kB", key, &value) != 2) continue;
        const std::string field = key;
        if (field == "Rss:") memory.rssKb = value;
        if (field == "Pss:") memory.pssKb = value;
        if (field == "Private_Clean:") privateClean = value;
        if (field == "Private_Dirty:") privateDirty = value;
    }
    if (privateClean >= 0 && privateDirty >= 0) memory.privateKb = privateClean + privateDirty;
    return memory;
}

// The second of two concurrent processes, measured while both hold.
Memory secondProcessMemory(const char* self, const Options& options, const std::string& probe)
{
    Child first = spawn(self, options, probe, true);
    Memory memory;
    if (first.pid > 0 && waitReady(first)) {
        Child second = spawn(self, options, probe, true);
        if (second.pid > 0 && waitReady(second)) memory = memoryOf(second.pid);
        finish(second);
    }
    finish(first);
    return memory;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--runs" && i + 1 < argc)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (argument == "--registry" && i + 1 < argc)
            options.registry = argv[++i];
        else if (argument == "--mecab-dictionary" && i + 1 < argc)
            options.mecabDictionary = argv[++i];
        else if (argument == "--probe" && i + 1 < argc)
            options.probe = argv[++i];
        else if (argument == "--hold")
            options.hold = true;
        else if (argument == "--cold")
            options.cold = true;
        else {
            std::fprintf(stderr, "usage: startup [--runs N] [--cold] [--registry FILE] [--mecab-dictionary DIR]\n");
            return 2;
        }
    }
    if (!options.probe.empty()) return runProbe(options);

    const char* self = "/proc/self/exe";
    char resolved[4096];
    const ssize_t length = readlink(self, resolved, sizeof resolved - 1);
    if (length <= 0) return 1;
    resolved[length] = '\0';

    setenv("QUIBO_REGISTRY", options.registry.c_str(), 1);
    const std::string data = installPath() + "QUIBO3.1/data/";
    // The images of the install's enciphered files, removed before each
    // first-process run.
    auto removeImages = [&data] {
        for (const char* file : {"pstorage", "mean_dictionary.dat"}) {
            const std::string name = platform::SharedImage::objectName(data + file, "feal");
            if (!name.empty()) unlink((std::string(platform::SharedImage::objectFolder()) + "/" + name).c_str());
        }
    };
    const Timing first = timeRuns(options.runs, removeImages, resolved, options, "ours");
    const Timing second = timeRuns(options.runs, [] {}, resolved, options, "ours");
    const Timing mecab = timeRuns(options.runs, [] {}, resolved, options, "mecab");
    const Memory ours = secondProcessMemory(resolved, options, "ours");
    const Memory theirs = secondProcessMemory(resolved, options, "mecab");
    bool ok = first.ok && second.ok && mecab.ok;
    std::printf("start-up, one line, whole process (median / least of %d runs):\n", options.runs);
    std::printf("  first process (deciphers and publishes): %6.1f / %6.1f ms\n", first.median, first.least);
    std::printf("  second process (maps the shared images): %6.1f / %6.1f ms\n", second.median, second.least);
    std::printf("  MeCab:                                   %6.1f / %6.1f ms\n", mecab.median, mecab.least);
    if (options.cold) {
        const std::vector<std::string> ourFiles = {installPath() + "dosk/dosk.dic", data + "pstorage",
                                                   data + "mean_dictionary.dat"};
        std::vector<std::string> mecabFiles;
        for (const char* file : {"sys.dic", "matrix.bin", "char.bin", "unk.dic", "dicrc"})
            mecabFiles.push_back(options.mecabDictionary + "/" + file);
        std::size_t stillCached = 0;
        auto drop = [&stillCached](const std::vector<std::string>& files) {
            stillCached = std::max(stillCached, dropFromPageCache(files));
        };
        const Timing coldFirst = timeRuns(options.runs, [&] {
            removeImages();
            drop(ourFiles);
        }, resolved, options, "ours");
        const Timing coldSecond = timeRuns(options.runs, [&] { drop(ourFiles); }, resolved, options, "ours");
        const Timing coldMecab = timeRuns(options.runs, [&] { drop(mecabFiles); }, resolved, options, "mecab");
        ok = ok && coldFirst.ok && coldSecond.ok && coldMecab.ok;
        std::printf("cold start-up, the resource files dropped from the page cache before each run:\n");
        std::printf("  first process:                           %6.1f / %6.1f ms\n", coldFirst.median, coldFirst.least);
        std::printf("  second process:                          %6.1f / %6.1f ms\n", coldSecond.median, coldSecond.least);
        std::printf("  MeCab:                                   %6.1f / %6.1f ms\n", coldMecab.median, coldMecab.least);
        if (stillCached > 0)
            std::printf("  (NOT COLD: up to %.1f MB of the files stayed cached after the drop)\n", stillCached / 1048576.0);
    }
    std::printf("memory a second concurrent process adds (private; RSS, PSS):\n");
    std::printf("  ours:  %6.1f MB  (RSS %.1f MB, PSS %.1f MB)\n", ours.privateKb / 1024.0, ours.rssKb / 1024.0,
                ours.pssKb / 1024.0);
    std::printf("  MeCab: %6.1f MB  (RSS %.1f MB, PSS %.1f MB)\n", theirs.privateKb / 1024.0,
                theirs.rssKb / 1024.0, theirs.pssKb / 1024.0);
    if (!ok) {
        std::fprintf(stderr, "startup: a probe failed\n");
        return 1;
    }
    return 0;
}
