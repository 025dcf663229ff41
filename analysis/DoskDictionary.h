// The morphological analyser over the Dosk dictionary: locates and maps the
// dictionary, cleans a sentence, runs the lattice and turns the best path
// into raw word records (surface, reading, base form, class attributes),
// which the language analyser turns into Morpheme records.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/LatticeBuilder.h"

namespace quibo {

// One analysed word.  The four ints are the class attributes (POS class,
// subclass, conjugation type and form ids); of the four texts beside them
// only the last is filled: the last component of the class name.
struct RawWord {
    std::string surface;
    std::string reading;
    std::string baseForm;
    std::string posClassText;
    int posClass = 0;
    std::string posSubclassText;
    int posSubclass = 0;
    std::string conjugationTypeText;
    int conjugationType = 0;
    std::string conjugationFormText;
    int conjugationForm = 0;
};

// One analysed word as views, for a receiver that copies what it keeps: the
// surface lies in the cleaned text, the reading and the base form in that
// text or in the analyser's buffers of the thread; valid until the next word
// is made.
struct RawWordView {
    std::string_view surface;
    std::string_view reading;
    std::string_view baseForm;
    int posClass = 0;
    int posSubclass = 0;
    int conjugationType = 0;
    int conjugationForm = 0;
};

// Full-width form of a half-width character (EUC-JP, two bytes each).
struct FullWidthForm {
    std::string form;
    bool hasVoiced = false;
    bool hasSemiVoiced = false;
    std::string voiced;
    std::string semiVoiced;
};

class DoskDictionary {
public:
    // Maps "dosk/dosk.dic" beside the folder of `path` (see dictionaryPath);
    // state() is 0 when the dictionary loaded, -1 otherwise.
    explicit DoskDictionary(const std::string& path);
    DoskDictionary(const DoskDictionary&) = delete;
    DoskDictionary& operator=(const DoskDictionary&) = delete;

    // The dictionary file for a path: unchanged when its last component
    // begins with "dosk.dic", else the path with everything after its
    // second-to-last separator replaced by "dosk\dosk.dic" (the separator
    // kept as found; '/' and '\' are both separators).
    static std::string dictionaryPath(const std::string& path);

    bool load(const std::string& filePath, int codeType);

    // Analyses one EUC-JP sentence.  The text is replaced by its cleaned,
    // full-width form; 0 after an analysis (the words may be none), -1 when
    // the cleaned text is empty or no dictionary is loaded.
    int analyze(std::string& text, std::vector<RawWord>& words) const;

    // Receives the words of one analysis in order: first how many there are
    // at most, then each word, whose texts it copies if it keeps them (and
    // before it analyses anything else on the thread).
    class WordReceiver {
    public:
        virtual void expect(std::size_t words) = 0;
        virtual void receive(const RawWordView& word) = 0;

    protected:
        ~WordReceiver() = default;
    };
    // The same analysis, its words handed to `receiver`.
    int analyze(std::string& text, WordReceiver& receiver) const;

    // Leading blanks dropped, inner runs of blanks made one, controls, DEL
    // and cut characters dropped, three-byte characters replaced by 〓, the
    // rest made full-width: afterwards every character is two bytes, one per
    // code unit.
    void cleanText(std::string& text) const;
    // ASCII and half-width kana to their full-width forms (a voiced or
    // semi-voiced mark joins the kana written just before it); stops before
    // a character once more than 1022 bytes are written.
    std::string toFullWidth(const std::string& text) const;

    RawWord buildRawWord(const std::string& surface, const std::string& baseForm,
                         const std::string& reading, int posClass, int posSubclass,
                         int conjugationType, int conjugationForm,
                         const std::string& classNameComponent) const;

    int state() const { return m_state; }
    const std::string& path() const { return m_path; }
    const LatticeBuilder& lattice() const { return *m_builder; }
    const std::map<std::string, std::string>& readingMap() const { return m_readingMap; }
    const std::map<int, FullWidthForm>& fullWidthMap() const { return m_fullWidthMap; }

private:
    // Cleans the text and finds its words (the path is left to the caller's
    // storage); false when the cleaned text is empty or no dictionary is
    // loaded.
    bool findWords(std::string& text, std::vector<DoskWord>& path) const;
    // The record of one word of the path.
    void fillWord(const std::string& text, const DoskWord& found, RawWord& word) const;
    // The same word as views.
    void viewWord(const std::string& text, const DoskWord& found, RawWordView& word) const;
    void buildFullWidthMap();
    void buildReadingMap();
    // An empty reading becomes the surface; an undefined word's reading is
    // respelled through the reading map (empty when it grows too long).
    void completeReading(RawWord& word) const;
    // The same rule over views: the reading itself, the surface, or the
    // respelling written into `respelled`.
    std::string_view completedReading(std::string_view surface, std::string_view reading, int posClass,
                                      int posSubclass, std::string& respelled) const;
    // The reading map's value for a two-byte character, or null.
    const std::string* readingOf(char first, char second) const;

    std::unique_ptr<LatticeBuilder> m_builder;
    std::string m_path;
    int m_codeType = CODE_TYPE_EUC;
    int m_state = -1;
    std::map<std::string, std::string> m_readingMap;
    // The map's values by row (A1-A4) and cell of their key; null where none.
    std::vector<const std::string*> m_readingIndex;
    std::map<int, FullWidthForm> m_fullWidthMap;
    // The map's forms by byte: ASCII at its code, half-width kana at 0x100 +
    // its second byte; null where the map has none.
    std::vector<const FullWidthForm*> m_fullWidthIndex;
};

}  // namespace quibo
