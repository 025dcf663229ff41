// The engine front: the one object through which the rest of the system
// drives the conversation engine.  It owns the conversation manager, sets up
// the process-wide language analyser when it is built, opens, finds and
// closes conversations by key, runs one utterance through a conversation and
// turns the outcome into the reply string that leaves the engine.
//
// Reply string (EUC-JP, no escaping; a field may hold the separators):
//   plain utterance          reply text ";" extension text ";"  (";;" without a candidate)
//   pre-analysed utterance   reply text 0x01 sentence text 0x01 extension text  (0x01 0x01 without)
//   greeting                 greeting text ";" extension text ";"  (";;" when none)
//   errors                   "error: " text ";;", or in pre-analysed mode 1F 1F 1F 1F 1E 1F
#pragma once

#include "dialogue/CandidateSelector.h"
#include "dialogue/ChatManager.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quibo {

class ChatService {
public:
    static constexpr std::string_view BUSY_ERROR =
        "error: 指定されたチャットがないか、チャットサーバが混みあっています。";
    static constexpr std::string_view FULL_GREETING_ERROR =
        "error: 同時に会話できる最大数を超えています。このページの会話をする場合には、他の会話ページを閉じてください。";
    static constexpr std::string_view INIT_GREETING_ERROR =
        "error: 初期化に失敗しました。実行形式ファイルが壊れている可能性がありますので再変換してください。";
    static constexpr std::string_view PRE_ANALYSED_FAILURE = "\x1F\x1F\x1F\x1F\x1E\x1F";
    static constexpr std::int32_t NO_ANALYZER = -5;

    // Seeds the engine's random sequence with the time, then sets up the
    // language analyser (status: 0, or the set-up's failure).  Never fails.
    ChatService(const std::string& baseDirectory, std::int32_t maximum, const std::string& defaultKnowledge,
                const std::string& analyzerPath, const std::string& creationText, const std::string& greetingTrigger,
                int analyzerFlag);
    // Tears down the session logs and the language analyser.
    ~ChatService();
    ChatService(const ChatService&) = delete;
    ChatService& operator=(const ChatService&) = delete;

    ChatSession* openConversation(const std::string& key, const std::string& knowledgeName);
    bool isOpen(const std::string& key, const std::string& knowledgeName);
    void closeConversation(const std::string& key);

    // Resets the conversation's request, rolls its reply over and stores
    // the utterance: its ";"-separated pieces, or with `preAnalysed` its
    // serialised analysis.  False when the conversation cannot be opened.
    bool runUtterance(const std::string& key, const std::string& knowledgeName, const std::string& utterance,
                      bool preAnalysed);
    std::string composeReply(const std::string& key);
    // Logs the utterance, runs it (the greeting trigger answers the
    // greeting) and returns the reply string.
    std::string getReply(const std::string& key, const std::string& knowledgeName, const std::string& utterance,
                         const std::string& peerAddress, bool preAnalysed);

    // One of the knowledge base's greetings, picked at random, as a reply
    // string; 1 when the base holds none, else 0.
    int getGreeting(const std::string& key, std::string& out);
    bool replyGreetingIfTrigger(const std::string& key, const std::string& utterance, std::string& out);
    // The utterance, less one trailing line feed, equals the trigger.
    bool isGreetingTrigger(const std::string& utterance) const;

    // Resolves a start id in the conversation's knowledge base: the handle
    // of its topic title (0: none), the position wanted and the handles of
    // the titles listed; 0, 0 and nothing when the key cannot be opened.
    void start(const std::string& key, const std::string& knowledgeName, const std::string& id, std::int32_t& first,
               std::int32_t& second, std::vector<std::int32_t>& list);
    // Runs the empty utterance, then the fetch step for the title of the
    // handle `first`.  A key that cannot be opened, or a handle that names
    // no title of the conversation, gives 0 and "" and changes nothing.
    int fetch(const std::string& key, const std::string& knowledgeName, std::int32_t first, std::int32_t second,
              std::string& out);

    // --- The turn of one prepared utterance (ChatServiceTurn.cpp) ---------------
    // The reset command, the collection passes over the context pieces, the
    // reply selection and the history update; the reply context's entry,
    // match code and source go into the turn reply.  Always 0.
    int processTurn(std::string key, ChatSession& session);
    // Collection passes until one chooses a candidate and a unit: plain
    // input (status 1), or pre-analysed input (any other status), whose
    // candidates without DCA values are pruned.
    SelectionEntry runPlainTurn(ChatSession& session);
    SelectionEntry runAnalysedTurn(ChatSession& session);
    // The match code, feature word and DCA values of every candidate of a
    // pass.  Over a context piece of plain input (its word count above 0), a
    // sentence of more than ten content words is left as collected; the
    // candidates of pre-analysed input left without a DCA value are pruned.
    static void judgeCandidates(ChatSession& session, std::int32_t kind, std::int32_t pieceWordCount,
                                bool analysed);
    // The input of 100 bytes or more, which is answered without the
    // remembered context.
    static bool isLongInput(const TurnRequest& request);
    // A non-empty command equal to the text.
    static bool isResetCommand(const std::string& command, const std::string& text);
    // Forgets the dialogue state and what the replies remembered.
    static void resetDialogue(ChatSession& session);
    // The fetch step: the stored utterance `index` of the title, answered
    // as the title's reply of the form chooseFetchCode picks.  Always 0.
    int fetchTurn(const std::string& key, ChatSession& session, TopicTitle* title, std::int32_t index,
                  std::string& out);
    // 'd' when the title answers in it; else 'i' while its indexed group
    // holds the index, else 'n'; and the type id of that group.  A null
    // title leaves both alone.
    static void chooseFetchCode(const TopicTitle* title, std::int32_t index, std::int32_t& code,
                                std::int32_t& typeId);

    std::int32_t status() const { return m_status; }
    const std::string& creationText() const { return m_creationText; }
    ChatManager& manager() { return m_manager; }

private:
    std::string m_creationText;
    std::int32_t m_status = 0;
    std::string m_logText;
    std::string m_defaultKnowledge;
    std::string m_greetingTrigger;
    ChatManager m_manager;
};

}  // namespace quibo
