// Whether a compiled knowledge base answers each of its titles: every
// searchable title's own text (an idiom title, marked ＿Ｃ＿, is no text a
// visitor types) is asked as a visitor's first question, each
// in a fresh conversation over the engine's own turn, and a title is reached
// when the reply comes from its topic (or from another topic that holds the
// same question).  For a title that is not reached the report says why, in
// the words of the one who wrote the base: which topic answered, and which
// of the engine's tests the question failed (no word names the topic's
// entities, no title centre holds the question's entities, the title's x
// and y are not the question's X and Y words, the rule features of the
// question and the title disagree).  Texts of the report are UTF-8.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quibo {

class ChatService;
class TopicTitle;

class KnowledgeReach {
public:
    struct Miss {
        std::string topic;
        std::string title;
        std::string answer;                // who answered, in words
        std::vector<std::string> reasons;  // why the title's own topic did not
    };
    struct Report {
        int asked = 0;
        int reached = 0;
        std::vector<Miss> misses;
    };

    // Asks every searchable title of the service's default knowledge base
    // through the service, whose language analyser must be set up.
    static Report check(ChatService& service);
    // Why a question (EUC-JP), asked in a fresh conversation of the key,
    // does not reach the title: the reasons of a miss (none when it does).
    static std::vector<std::string> whyNot(ChatService& service, const std::string& key,
                                           const std::string& question, const TopicTitle& title);
    // One paragraph a miss, then "reached n of m titles".
    static void print(const Report& report, std::ostream& out);
};

}  // namespace quibo
