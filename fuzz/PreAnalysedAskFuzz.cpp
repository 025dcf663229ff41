// Feeds arbitrary bytes to the engine's facade as a pre-analysed utterance
// (Shift_JIS serialised analysis, as a chat server would hand it over) in
// a fresh conversation over the sample knowledge base of the install tree, with
// the analyser in place.  Whatever the bytes, the turn runs through
// collection, pruning and selection and the reply keeps the pre-analysed
// form: reply text, 0x01, sentence text, 0x01, extension text (0x01 0x01
// without a candidate).  A form that holds no word makes no candidate, so
// its reply is exactly 0x01 0x01.
#include "Orvane/ChatFacade.h"
#include "analysis/CodeConverter.h"
#include "analysis/MorphemeList.h"
#include "tests/support/InstallTree.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string SAMPLE = std::string(QUIBO_INSTALL_TREE) + "/QUIBO3.1/knowledge/sample/index.pdata";
const std::string KEY = "fuzz:;" + SAMPLE;
// Holds the service and the loaded base while KEY's conversation comes and goes.
const std::string KEEPER = "keeper:;" + SAMPLE;

void open(const std::string& key)
{
    static const quibo::test::BuildInstallTree tree;
    chatOpen(key.c_str(), SAMPLE.c_str(), quibo::test::rcPathIn(tree.root()).c_str(), "", "127.0.0.1", 1);
}

bool openKeeper()
{
    // The analyser's progress lines would drown the driver's output.
    if (!std::freopen("/dev/null", "w", stdout))
        return false;
    open(KEEPER);
    // Closed before the engine's process-wide objects go, as a host would.
    std::atexit([] { chatClose(KEEPER.c_str()); });
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool kept = openKeeper();
    (void)kept;
    // Each input talks in a fresh conversation, so that it reproduces alone.
    open(KEY);

    // The facade reads a C string: the utterance ends at the first NUL.
    const std::string utterance(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    std::string reply;
    chatAsk(KEY.c_str(), utterance.c_str(), reply, 1);
    // An utterance empty in EUC-JP asks for the greeting, in the plain form.
    std::string euc;
    quibo::CodeConverter().convertText(euc, utterance, quibo::CodeConverter::EUC);
    const bool greeting = euc.empty() || euc == "\n";
    if (greeting ? reply.empty() || reply.back() != ';' : std::count(reply.begin(), reply.end(), '\x01') < 2)
        std::abort();
    const std::vector<quibo::MorphemeList> parsed = quibo::parseMorphemeText(euc);
    if (!greeting && (parsed.empty() || parsed.front().empty()) && reply != "\x01\x01")
        std::abort();
    chatClose(KEY.c_str());
    return 0;
}
