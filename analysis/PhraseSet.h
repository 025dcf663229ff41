// The phrase structure of a sentence: nodes joined by edges labelled with
// phrases.  A root holds one edge per segment of the sentence, each segment
// is a chain of word nodes, and every chain ends in one shared end node.
// Word nodes may add compound edges that skip the words a known multi-word
// expression covers; every path from a segment's first node to the end then
// reads as one way of saying that segment.
//
// Ownership follows the edges: a node owns the nodes its edges lead to and
// deletes them with itself.  A node reached by several edges (the end node,
// the targets of compound edges) is deleted through the first owner that
// goes, and then cuts every other edge that leads to it through its parent
// links, so each node is deleted exactly once and no edge dangles.
#pragma once

#include "analysis/Morpheme.h"
#include "analysis/PhraseRecord.h"

#include <functional>
#include <vector>

namespace quibo {

class CDictionary;
class PhraseSet;

struct PhraseEdge {
    PhraseSet* node = nullptr;  // owned by the edge's source node; null once cut
    PhraseRecord phrase;
};

using PhraseSequence = std::vector<PhraseRecord>;

class PhraseSet {
public:
    PhraseSet() = default;
    PhraseSet(const PhraseSet&) = delete;
    PhraseSet& operator=(const PhraseSet&) = delete;
    // Deletes every node below and cuts the edges that lead here.
    virtual ~PhraseSet();

    // Deletes the nodes of all edges, then forgets the edges.
    virtual void clearEdges();
    // Appends the edge; this node becomes a parent of its node (and so an
    // owner: the node is deleted with this one).
    virtual void addEdge(const PhraseEdge& edge);
    // Replaces the first edge to the same node (later edges move up) by the
    // new edge at the end.
    virtual void replaceEdge(const PhraseEdge& edge);
    virtual void setValue(const Morpheme& word) { m_value = word; }
    virtual Morpheme getValue() const { return m_value; }
    // Every sequence of edge labels from here to a node without edges, edges
    // in insertion order, depth first; a node without edges gives one empty
    // sequence.  Cut edges lead nowhere and give nothing.
    virtual std::vector<PhraseSequence> paths() const;
    virtual std::vector<PhraseEdge> getEdges() const { return m_edges; }

    // The paths one at a time, in the order of paths(); the visitor returns
    // false to stop the walk, and so does this function then.
    bool forEachPath(const std::function<bool(const PhraseSequence&)>& visit) const;

    bool hasParents() const { return !m_parents.empty(); }
    std::size_t edgeCount() const { return m_edges.size(); }
    const PhraseEdge& edgeAt(std::size_t index) const { return m_edges.at(index); }

protected:
    std::vector<PhraseEdge> m_edges;  // in insertion order
    std::vector<PhraseSet*> m_parents;  // not owned: the nodes whose edges lead here
    Morpheme m_value;
    int m_limit = 0;

private:
    bool walkPaths(PhraseSequence& prefix, const std::function<bool(const PhraseSequence&)>& visit) const;
    void deleteChildren();
};

class WordNode : public PhraseSet {
public:
    WordNode() = default;
    ~WordNode() override = default;

    // "WordNode.value=" and the value word's debug form, on one line.
    virtual void printValue() const;
    // Adds one edge for every run of two or more words along the first-edge
    // chain from here that the phrase builder knows as one expression; the
    // edge skips the nodes the run covers.
    virtual void expandCompounds(CDictionary& dictionary, int option);
    // The phrase the semantic network makes of the run of words, cached in
    // the dictionary under the run's forms; empty when it knows none.
    virtual PhraseRecord buildPhrase(const std::vector<Morpheme>& words, CDictionary& dictionary, int option);
    virtual std::vector<PhraseEdge> edges() const { return getEdges(); }
    // Above 5 the phrase builder keeps every word to its surface.
    virtual void setLimit(int n) { m_limit = n; }
    int limit() const { return m_limit; }
};

}  // namespace quibo
