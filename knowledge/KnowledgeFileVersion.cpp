#include "knowledge/KnowledgeFileVersion.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quibo {
namespace {

std::array<char, KNOWLEDGE_VERSION_SIZE> versionBuffer = [] {
    std::array<char, KNOWLEDGE_VERSION_SIZE> buffer{};
    std::memcpy(buffer.data(), KNOWLEDGE_FILE_VERSION.data(), KNOWLEDGE_VERSION_SIZE);
    return buffer;
}();
std::int32_t fileCounter = 0;

}  // namespace

std::string knowledgeVersionText() { return std::string(versionBuffer.data(), versionBuffer.size()); }

void setKnowledgeVersionText(std::string_view text)
{
    versionBuffer.fill('\0');
    std::memcpy(versionBuffer.data(), text.data(), std::min(text.size(), versionBuffer.size()));
}

bool isCurrentKnowledgeVersion()
{
    return std::string_view(versionBuffer.data(), versionBuffer.size()) == KNOWLEDGE_FILE_VERSION;
}

std::int32_t knowledgeFileCounter() { return fileCounter; }

void setKnowledgeFileCounter(std::int32_t value) { fileCounter = value; }

}  // namespace quibo
