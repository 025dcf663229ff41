#include "knowledge/KnowledgeFile.h"

#include "analysis/ConsoleLine.h"
#include "knowledge/CDictionary.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>

namespace quibo {

int saveKnowledgeFile(const CDictionary& dictionary, const std::string& path, std::string_view versionText)
{
    const std::string temporary = path + ".tmp";
    try {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::runtime_error("cannot create " + temporary);
        char header[KNOWLEDGE_HEADER_SIZE] = {};
        for (std::size_t k = 0; k < KNOWLEDGE_VERSION_SIZE && k < versionText.size(); ++k)
            header[k] = versionText[k];
        out.write(header, sizeof header);
        dictionary.externalize(out, versionText);
    } catch (const std::exception& error) {
        noteFailure("saveKnowledgeFile: " + path + ": " + error.what());
        std::remove(temporary.c_str());
        return -1;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        noteFailure("saveKnowledgeFile: cannot replace " + path);
        std::remove(temporary.c_str());
        return -1;
    }
    return 0;
}

int loadKnowledgeFile(CDictionary& dictionary, const std::string& path, const std::string& mtimeText)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        noteFailure("the knowledge file " + path + " cannot be opened");
        return -1;
    }
    if (dictionary.internalizePData(in, path, mtimeText) != 0)
        return -1;
    // A loaded base is used only once its entities are classified.
    dictionary.classifyEntities();
    return 0;
}

}  // namespace quibo
