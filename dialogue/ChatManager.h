// The open conversations by key and the loaded knowledge bases by cache key
// (file path and modification time).  Conversations over the same unchanged
// knowledge file share one loaded CDictionary, freed with its last
// conversation; at most `maximum` knowledge bases are loaded at once.
#pragma once

#include "conversation/ChatSession.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace quibo {

class CDictionary;

class ChatManager {
public:
    ChatManager(const std::string& baseDirectory, std::int32_t maximum, const std::string& defaultKnowledge);
    ~ChatManager();
    ChatManager(const ChatManager&) = delete;
    ChatManager& operator=(const ChatManager&) = delete;

    ChatSession* find(const std::string& key) const;
    // The key's conversation, opened over the knowledge name (the default
    // knowledge when empty) when there is none; null when the knowledge file
    // cannot be loaded or the manager is full.
    ChatSession* open(const std::string& key, const std::string& knowledgeName);
    // Deletes the conversation; its knowledge base goes with its last one.
    void close(const std::string& key);
    CDictionary* knowledgeOf(const std::string& key) const;
    bool isFull() const;

    // The file of a knowledge name: ';' and a path to a ".pdata" file gives
    // that path; another name of a ".pdata" file is taken under the base
    // directory; any other name is a knowledge folder holding "index.pdata".
    std::string knowledgePath(const std::string& knowledgeName) const;
    // The loaded knowledge base of the file as it is now, shared when its
    // path and modification time are loaded already; null when the file
    // cannot be read or loaded, or when the manager is full.
    CDictionary* loadOrShare(const std::string& path);

    // How many conversations use the knowledge base under the cache key; -1
    // when none is loaded under it.
    std::int32_t useCount(const std::string& cacheKey) const;
    std::size_t loadedCount() const { return m_loaded.size(); }

private:
    struct Loaded {
        std::unique_ptr<CDictionary> knowledge;
        std::int32_t useCount = 0;
    };

    std::map<std::string, std::unique_ptr<ChatSession>> m_conversations;
    std::map<std::string, Loaded> m_loaded;
    std::string m_baseDirectory;
    std::int32_t m_maximum;
    std::string m_defaultKnowledge;
};

}  // namespace quibo
