#include "dialogue/ChatManager.h"

#include "knowledge/CDictionary.h"

#include <ctime>
#include <fstream>
#include <sys/stat.h>

namespace quibo {
namespace {

constexpr const char* PDATA = ".pdata";
constexpr const char* FOLDER_FILE = "index.pdata";

// The modification time as ctime writes it, line feed included.
bool modificationTimeText(const std::string& path, std::string& text)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return false;
    char buffer[64] = {};
    const std::time_t mtime = status.st_mtime;
    tzset();  // a TZ changed since the last call holds
    if (ctime_r(&mtime, buffer) == nullptr)
        return false;
    text = buffer;
    return true;
}

}  // namespace

ChatManager::ChatManager(const std::string& baseDirectory, std::int32_t maximum, const std::string& defaultKnowledge)
    : m_baseDirectory(baseDirectory), m_maximum(maximum), m_defaultKnowledge(defaultKnowledge)
{
}

ChatManager::~ChatManager()
{
    // Conversations borrow the knowledge bases: they go first.
    m_conversations.clear();
    m_loaded.clear();
}

ChatSession* ChatManager::find(const std::string& key) const
{
    auto found = m_conversations.find(key);
    return found == m_conversations.end() ? nullptr : found->second.get();
}

ChatSession* ChatManager::open(const std::string& key, const std::string& knowledgeName)
{
    if (ChatSession* session = find(key))
        return session;
    const std::string path = knowledgeName.empty() ? m_defaultKnowledge : knowledgePath(knowledgeName);
    CDictionary* knowledge = loadOrShare(path);
    if (!knowledge)
        return nullptr;
    auto session = std::make_unique<ChatSession>(key, knowledgeName, knowledge);
    ++m_loaded.at(knowledge->getCacheKey()).useCount;
    return m_conversations.emplace(key, std::move(session)).first->second.get();
}

void ChatManager::close(const std::string& key)
{
    auto found = m_conversations.find(key);
    if (found == m_conversations.end())
        return;
    const std::string cacheKey = found->second->getKnowledge()->getCacheKey();
    m_conversations.erase(found);
    auto loaded = m_loaded.find(cacheKey);
    if (loaded != m_loaded.end() && --loaded->second.useCount <= 0)
        m_loaded.erase(loaded);
}

CDictionary* ChatManager::knowledgeOf(const std::string& key) const
{
    const ChatSession* session = find(key);
    if (!session || !session->getKnowledge())
        return nullptr;
    auto loaded = m_loaded.find(session->getKnowledge()->getCacheKey());
    return loaded == m_loaded.end() ? nullptr : loaded->second.knowledge.get();
}

bool ChatManager::isFull() const { return static_cast<std::int64_t>(m_loaded.size()) >= m_maximum; }

std::string ChatManager::knowledgePath(const std::string& knowledgeName) const
{
    std::string name = knowledgeName;
    const std::size_t pdata = name.rfind(PDATA);
    if (pdata != std::string::npos) {
        const std::size_t semicolon = name.rfind(';');
        if (semicolon != std::string::npos && semicolon < pdata) {
            name.erase(semicolon, 1);
            return name;
        }
        // A relative file under the base directory, its '/' kept: '/' is
        // what separates the folders of a path that is opened here.
        const std::size_t slash = name.rfind('/');
        if (slash != std::string::npos && slash < pdata)
            return m_baseDirectory + name;
    }
    return m_baseDirectory + name + "/" + FOLDER_FILE;
}

CDictionary* ChatManager::loadOrShare(const std::string& path)
{
    if (path.empty())
        return nullptr;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return nullptr;
    std::string mtime;
    if (!modificationTimeText(path, mtime))
        return nullptr;
    const std::string cacheKey = makeDictionaryKey(path, mtime);
    auto loaded = m_loaded.find(cacheKey);
    if (loaded != m_loaded.end())
        return loaded->second.knowledge.get();
    if (isFull())
        return nullptr;
    auto knowledge = std::make_unique<CDictionary>();
    if (knowledge->internalizePData(in, path, mtime) == -1)
        return nullptr;
    in.close();
    knowledge->classifyEntities();
    CDictionary* result = knowledge.get();
    m_loaded.emplace(cacheKey, Loaded{std::move(knowledge), 0});
    return result;
}

std::int32_t ChatManager::useCount(const std::string& cacheKey) const
{
    auto loaded = m_loaded.find(cacheKey);
    return loaded == m_loaded.end() ? -1 : loaded->second.useCount;
}

}  // namespace quibo
