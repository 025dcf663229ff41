// The engine's flat entry points, exported from liborvane.so: the session
// client of the control calls nothing else of the engine.  The facade keeps
// the process's one ChatService behind a use count (every chatOpen adds one,
// every chatClose takes one away; the service goes when the count returns to
// 0), splits the knowledge name off the conversation key and converts text
// between the control's Shift_JIS (code page 932) and the engine's EUC-JP.
//
// Inputs are NUL-terminated byte strings (a null pointer reads as ""); text
// outputs are the caller's strings, overwritten.  Only the utterance, the
// start id and the first open's creation text are converted to EUC-JP; keys
// and paths pass unchanged; every text result is Shift_JIS.  No exception
// leaves an entry point.
//
// Conversation key: the session id, ":;", the knowledge file's path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#define ORVANE_EXPORT __attribute__((visibility("default")))

extern "C" {

// Creates the service on the first open (base directory "", at most 10
// knowledge files, the file as default knowledge, the resource path and flag
// for the analyser, the creation text as reset command), then opens the
// key's conversation and records the peer address in its session log.
// 0, or -1 when the conversation cannot be opened (the language data or the
// knowledge file cannot be loaded, or no more knowledge files fit):
// chatOpenFailure then tells why.  Either way the open is a use of the
// service that a chatClose gives back.
ORVANE_EXPORT int chatOpen(const char* key, const char* knowledgeFile, const char* resourcePath,
                           const char* creationText, const char* peerAddress, int analyzerFlag);
// Why the last chatOpen that failed did: what failed and which file.
ORVANE_EXPORT std::string chatOpenFailure();
// Resolves a start id: a handle of its topic title (0: none), the position
// wanted, and the handles of the titles the id lists.  Always 0.
ORVANE_EXPORT int chatStart(const char* key, const char* id, int& first, int& second, std::vector<int>& list);
// The stored utterance `second` of the title of handle `first`: -1 at once,
// leaving `out` alone, when `first` is 0 or there is no service; else 0 (with
// "" for a handle the conversation never handed out, which changes nothing).
ORVANE_EXPORT int chatFetch(const char* key, int first, int second, std::string& out);
// The reply string of the utterance (see ChatService).
ORVANE_EXPORT void chatAsk(const char* key, const char* utterance, std::string& out, int preAnalysed);
// Closes the key's conversation and gives up one use of the service.
// Always 1.
ORVANE_EXPORT int chatClose(const char* key);
// The reply and extension texts the session log holds for utterance `index`
// of the key (-1: the last).
ORVANE_EXPORT std::string chatReplyText(const char* key, int index);
ORVANE_EXPORT std::string chatExtensionInfo(const char* key, int index);
// The greeting reply string.
ORVANE_EXPORT int chatGreeting(const char* key, std::string& out);
// The knowledge name of a key: what follows its last ':' (or, when that
// ':' is a drive letter's right after ":;", what follows the ':' of ":;").
ORVANE_EXPORT std::string splitKnowledgeName(const char* key);

}
