#include "analysis/PhraseSet.h"

#include "analysis/ConsoleLine.h"

#include <algorithm>
#include <cstdio>

namespace quibo {

PhraseSet::~PhraseSet()
{
    deleteChildren();
    m_edges.clear();
    for (PhraseSet* parent : m_parents) {
        auto edge = std::find_if(parent->m_edges.begin(), parent->m_edges.end(),
                                 [this](const PhraseEdge& e) { return e.node == this; });
        if (edge != parent->m_edges.end())
            edge->node = nullptr;
    }
}

// A child cuts this node's edge to it while it goes, and cuts the edges of
// its other parents too, so a node shared by several edges is deleted once.
void PhraseSet::deleteChildren()
{
    for (std::size_t i = 0; i < m_edges.size(); ++i) {
        // Copied first: the child's destructor nulls the slot it is read from.
        PhraseSet* child = m_edges[i].node;
        delete child;
    }
}

void PhraseSet::clearEdges()
{
    deleteChildren();
    m_edges.clear();
}

void PhraseSet::addEdge(const PhraseEdge& edge)
{
    // Room for the parent link first, so that once the edge is in, the link
    // is too and the node can cut the edge when it goes.
    if (edge.node)
        edge.node->m_parents.reserve(edge.node->m_parents.size() + 1);
    m_edges.push_back(edge);
    if (edge.node)
        edge.node->m_parents.push_back(this);
}

void PhraseSet::replaceEdge(const PhraseEdge& edge)
{
    auto old = std::find_if(m_edges.begin(), m_edges.end(),
                            [&edge](const PhraseEdge& e) { return e.node == edge.node; });
    const bool known = old != m_edges.end();
    if (known)
        m_edges.erase(old);
    m_edges.push_back(edge);
    // A node that was not among the edges yet is owned from now on; without
    // the parent link its deletion elsewhere would leave this edge dangling
    // and this node would delete it a second time.
    if (!known && edge.node)
        edge.node->m_parents.push_back(this);
}

bool PhraseSet::walkPaths(PhraseSequence& prefix, const std::function<bool(const PhraseSequence&)>& visit) const
{
    if (m_edges.empty())
        return visit(prefix);
    for (const PhraseEdge& edge : m_edges) {
        if (!edge.node)
            continue;
        prefix.push_back(edge.phrase);
        const bool goOn = edge.node->walkPaths(prefix, visit);
        prefix.pop_back();
        if (!goOn)
            return false;
    }
    return true;
}

bool PhraseSet::forEachPath(const std::function<bool(const PhraseSequence&)>& visit) const
{
    PhraseSequence prefix;
    return walkPaths(prefix, visit);
}

std::vector<PhraseSequence> PhraseSet::paths() const
{
    std::vector<PhraseSequence> result;
    forEachPath([&result](const PhraseSequence& path) {
        result.push_back(path);
        return true;
    });
    return result;
}

void WordNode::printValue() const
{
    writeConsoleLine("WordNode.value=" + m_value.dump(383));
}

void WordNode::expandCompounds(CDictionary& dictionary, int option)
{
    if (m_edges.empty() || !m_edges.front().node)
        return;
    const PhraseRecord& first = m_edges.front().phrase;
    std::vector<Morpheme> run{first.getHeadWord()};
    const std::vector<VariantWord> leading = first.getSecondWords();
    const PhraseSet* next = m_edges.front().node;
    while (next && next->edgeCount() > 0) {
        const PhraseEdge& step = next->edgeAt(0);
        if (!step.node)
            break;
        run.push_back(step.phrase.getHeadWord());
        next = step.node;
        PhraseRecord compound = buildPhrase(run, dictionary, option);
        if (!compound.isEmpty()) {
            compound.setSecondWords(leading);
            // Adding to this node's edges cannot move the chain being walked:
            // `next` points into other nodes only.
            addEdge({const_cast<PhraseSet*>(next), compound});
        }
    }
}

}  // namespace quibo
