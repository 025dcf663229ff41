#include "analysis/LanguageAnalyzer.h"

#include "analysis/ConsoleLine.h"
#include "analysis/InstallPath.h"
#include "knowledge/Entity.h"
#include "knowledge/ParsedText.h"

#include <cstdlib>
#include <exception>
#include <new>

namespace quibo {

namespace {

// The one process-wide instance; null when there is none.
LanguageAnalyzer* g_instance = nullptr;

}  // namespace

LanguageAnalyzer* LanguageAnalyzer::instance()
{
    if (!g_instance)
        g_instance = new (std::nothrow) LanguageAnalyzer();
    return g_instance;
}

void LanguageAnalyzer::deleteInstance()
{
    delete g_instance;
    g_instance = nullptr;
}

bool LanguageAnalyzer::isInitialized()
{
    return g_instance && g_instance->m_initialized;
}

LanguageAnalyzer::LanguageAnalyzer()
    : m_dummyTitle(std::make_unique<ParsedText>(std::string(DUMMY_ENTITY_TITLE), MorphemeList(),
                                                std::string())),
      m_dummyEntity(std::make_unique<Entity>(m_dummyTitle.get(), Entity::FLAG_GLOBAL_DUMMY))
{
    auto file = std::make_unique<SemanticNetworkFileQueries>();
    m_networkFile = file.get();
    m_network = std::move(file);
}

LanguageAnalyzer::~LanguageAnalyzer()
{
    // The dictionary's mapping goes first; the rest in reverse of building.
    m_doskDictionary.reset();
}

int LanguageAnalyzer::init(const std::string& rcPath, bool useInstallDirectory)
{
    // Loading again replaces the dictionary: until everything is loaded
    // anew the instance is not ready.
    m_initialized = false;
    try {
        const std::string base = useInstallDirectory ? installPath() + "QUIBO3.1/" : std::string();
        const std::string data = base + "data/";

        // The dictionary mapping is shared by name: a dictionary still held
        // from an earlier init would lend its mapping to the new one, which
        // would then load whatever file `rcPath` names, or none.  So the old
        // one is released before the next is created.
        m_doskDictionary.reset();
        m_doskDictionary.reset(new (std::nothrow) DoskDictionary(rcPath));
        if (!m_doskDictionary || m_doskDictionary->state() != 0) {
            noteFailure("the morphological dictionary " + DoskDictionary::dictionaryPath(rcPath) + " cannot be loaded");
            return INIT_NO_DICTIONARY;
        }
        if (openSemanticNetwork(data + "pstorage") != 0) {
            noteFailure("the semantic network " + data + "pstorage cannot be loaded");
            return INIT_NO_NETWORK;
        }
        // The meaning rules name words of the network, which they look up
        // through this instance: the network is in place by now.
        if (m_meanDictionary.load(data + "mean_dictionary.dat") != 0) {
            noteFailure("the meaning rules " + data + "mean_dictionary.dat cannot be loaded");
            return INIT_NO_DICTIONARY;
        }
        m_numberSynonyms = NumberSynonymTable();
        m_numberSynonyms.load(data + "numsyn.txt");
        m_initialized = true;
        return INIT_OK;
    } catch (const std::exception& e) {
        noteFailure(std::string("the language analyser cannot be set up: ") + e.what());
        return INIT_EXCEPTION;
    }
}

int LanguageAnalyzer::analyzeRaw(std::string& text, std::vector<RawWord>& words)
{
    if (!m_doskDictionary) {
        return -1;
    }
    return m_doskDictionary->analyze(text, words);
}

MorphemeList LanguageAnalyzer::analyze(std::string text, std::string& surfaces, MeanEntry* meaning)
{
    MorphemeList list;
    appendMorphemes(text, list);
    if (meaning) {
        *meaning = matchMeaning(text, list, {-1});
        list.markHeadClass();
    }
    list.mergeNumeralsInPlace();
    std::size_t length = surfaces.size();
    for (const Morpheme& word : list.words())
        length += word.surfaceRef().size();
    surfaces.reserve(length);
    for (const Morpheme& word : list.words())
        surfaces += word.surfaceRef();
    return list;
}

MeanEntry LanguageAnalyzer::matchMeaning(const std::string& text, MorphemeList& list,
                                         const std::vector<int>& previousCodes)
{
    return m_meanDictionary.match(text, list, previousCodes);
}

void LanguageAnalyzer::appendMorphemes(std::string& text, MorphemeList& list)
{
    if (text.empty()) {
        return;
    }
    if (!m_doskDictionary) {
        return;
    }
    // Each word's texts are copied once, from where the analyser made them.
    class Receiver final : public DoskDictionary::WordReceiver {
    public:
        explicit Receiver(std::vector<Morpheme>& words) : m_words(words) {}
        void expect(std::size_t count) override { m_words.reserve(m_words.size() + count); }
        void receive(const RawWordView& r) override
        {
            m_words.emplace_back(r.surface, r.reading, r.baseForm, r.posClass, r.posSubclass, r.conjugationType,
                                 r.conjugationForm);
        }

    private:
        std::vector<Morpheme>& m_words;
    };
    Receiver receiver(list.words());
    m_doskDictionary->analyze(text, receiver);
}

std::vector<MorphemeList> LanguageAnalyzer::expandNumberSynonyms(const MorphemeList& list)
{
    std::vector<MorphemeList> result{list};
    const std::vector<Morpheme>& words = list.words();
    for (std::size_t i = 0; i < words.size(); ++i) {
        const Morpheme& numeral = words[i];
        if (numeral.getPosCode() != pos::NUMERAL) {
            continue;
        }
        for (const std::string& synonym : m_numberSynonyms.lookup(std::string(numeral.surfaceRef()))) {
            std::string text = synonym;
            MorphemeList analysed;
            appendMorphemes(text, analysed);
            analysed = analysed.mergeNumerals();

            // The synonym's words take the numeral's place; what marks the
            // numeral in its sentence (flags, marks, position, knowledge
            // object) stays with each of them.
            auto standIn = [&numeral](const Morpheme& from) {
                Morpheme word = numeral;
                word.setSurface(from.surfaceRef());
                word.setKeyForm(from.keyFormRef());
                word.setBaseForm(from.baseFormRef());
                word.setPosCode(from.getPosCode());
                word.setOriginalPosCode(from.getOriginalPosCode());
                word.setConjugation(from.getConjugation());
                word.setReading(from.readingRef());
                return word;
            };
            if (analysed.words().size() == 1) {
                MorphemeList variant = list;
                variant.words()[i] = standIn(analysed.words().front());
                result.push_back(std::move(variant));
                continue;
            }
            std::vector<Morpheme> replaced(words.begin(), words.begin() + i);
            for (const Morpheme& from : analysed.words()) {
                replaced.push_back(standIn(from));
            }
            replaced.insert(replaced.end(), words.begin() + i + 1, words.end());
            result.emplace_back(std::move(replaced), 0);
        }
    }
    return result;
}

std::vector<SenseRecord> LanguageAnalyzer::getRelations(const std::string& word,
                                                         char* relationText)
{
    if (!m_network) {
        std::free(relationText);
        return std::vector<SenseRecord>();
    }
    return m_network->relations(word, relationText);
}

int LanguageAnalyzer::searchPath(const std::string& word1, const std::string& word2, int& depth,
                                 int limit)
{
    return m_network ? m_network->searchPath(word1, word2, depth, limit) : 0;
}

NetworkText LanguageAnalyzer::reachableWords(const std::string& word, int depth, int mode)
{
    return m_network ? m_network->reachableWords(word, depth, mode) : NetworkText();
}

NetworkText LanguageAnalyzer::relatedWords(const std::string& word, int mode)
{
    return m_network ? m_network->relatedWords(word, mode) : NetworkText();
}

NetworkText LanguageAnalyzer::listRelations(const std::string& word)
{
    return m_network ? m_network->listRelations(word) : NetworkText();
}

NetworkText LanguageAnalyzer::collectWords(const std::string& word, int depth)
{
    return m_network ? m_network->collectWords(word, depth) : NetworkText();
}

int LanguageAnalyzer::openSemanticNetwork(const std::string& path)
{
    if (!m_networkFile) {
        auto file = std::make_unique<SemanticNetworkFileQueries>();
        m_networkFile = file.get();
        m_network = std::move(file);
    }
    return m_networkFile->open(path);
}

void LanguageAnalyzer::setSemanticNetwork(std::unique_ptr<SemanticQueries> network)
{
    m_networkFile = nullptr;
    m_network = std::move(network);
}

}  // namespace quibo
