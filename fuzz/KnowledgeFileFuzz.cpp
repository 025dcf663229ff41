// Feeds arbitrary bytes to the knowledge-file loader as a whole file (header
// and stream).  Whatever the bytes, the load must return 0 or -1; a base that
// loads must survive everything that walks it (its dump, id resolution, a
// save of its own) and must save to a stream that loads again.
#include "knowledge/CDictionary.h"
#include "knowledge/CdrWriter.h"
#include "knowledge/ReplyTable.h"
#include "knowledge/TopicTitle.h"
#include "tools/KnowledgeDump.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The loader's progress lines would drown the driver's output.
    static const bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;

    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    quibo::CDictionary dictionary;
    const int result = dictionary.internalizePData(in, "fuzz", "");
    if (result != 0 && result != -1)
        std::abort();
    if (result != 0)
        return 0;

    volatile std::size_t weight = quibo::dumpKnowledgeBase(dictionary).size();
    for (const auto& [id, title] : dictionary.idMap()) {
        for (const std::string& form : {id, id + "_0", id + "_3", id + "_1_x_" + id, std::string()}) {
            quibo::TopicTitle* object = nullptr;
            int index = 0;
            std::vector<quibo::TopicTitle*> titles;
            dictionary.resolveId(form, object, index, titles);
            weight = weight + titles.size();
        }
    }
    for (const quibo::ReplyTable* table : dictionary.replyTables()) {
        if (!table)
            continue;
        for (const auto& [letter, group] : table->groups())
            for (const quibo::ReplyEntry& entry : group.entries())
                weight = weight + entry.joinNames().size();
    }

    // What loaded saves, and the save loads again.
    std::string file(data, data + 20);
    quibo::CdrWriter writer(quibo::KNOWLEDGE_PAYLOAD_LIMIT, quibo::KNOWLEDGE_FILE_MAX_OBJECTS);
    try {
        dictionary.writePayload(writer);
    } catch (const std::exception&) {
        return 0;  // a graph the stored form cannot carry is refused, not written
    }
    file.append(reinterpret_cast<const char*>(writer.bytes().data()), writer.bytes().size());
    std::istringstream again(file);
    quibo::CDictionary reloaded;
    if (reloaded.internalizePData(again, "fuzz", "") != 0)
        std::abort();
    return 0;
}
