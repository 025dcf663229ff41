// How a meaning dictionary and the records inside it move through a
// knowledge-file stream.  A knowledge file carries one dictionary that the
// loader discards; the members after it can only be found by reading through
// it, so every field is moved in its fixed stored order.  MeanRule's five
// flags and POS code go out in an order of their own (DCA code, pca codes,
// I, E, POS code, V, M), not in the record's member order.
#pragma once

#include "knowledge/CdrBody.h"
#include "meaning/MeanDictionary.h"
#include "meaning/MeanRule.h"

namespace quibo {

class CdrReader;
class CdrWriter;

// Carried through a pointer: presence octet, object number, then this body
// for a new object.
template <>
struct CdrBody<MeanDictionary> {
    static void write(const MeanDictionary& dictionary, CdrWriter& out);
    // Fills an empty dictionary; maps and multimaps take the entries in
    // stream order, so equal keys keep the order they were stored in.
    static void read(MeanDictionary& dictionary, CdrReader& in);
};

// The records below are held by value inside the dictionary's body.
template <>
struct CdrBody<MeanRule> {
    static void write(const MeanRule& rule, CdrWriter& out);
    static void read(MeanRule& rule, CdrReader& in);
};

template <>
struct CdrBody<MeanCondSpec> {
    static void write(const MeanCondSpec& spec, CdrWriter& out);
    static void read(MeanCondSpec& spec, CdrReader& in);
};

template <>
struct CdrBody<MeanTermSpec> {
    static void write(const MeanTermSpec& spec, CdrWriter& out);
    static void read(MeanTermSpec& spec, CdrReader& in);
};

template <>
struct CdrBody<DcaDefinition> {
    static void write(const DcaDefinition& definition, CdrWriter& out);
    static void read(DcaDefinition& definition, CdrReader& in);
};

}  // namespace quibo
