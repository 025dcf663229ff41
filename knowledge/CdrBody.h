// How a stored class moves through an object stream.  Each class that a
// stream carries through pointers specialises CdrBody next to its
// declaration:
//
//   template <> struct CdrBody<Topic> {
//       static void write(const Topic& topic, CdrWriter& out);   // fields in stored order
//       static void read(Topic& topic, CdrReader& in);           // the same fields, same order
//       // Optional: how an empty object is made when the stream meets a new
//       // one; without it the reader uses std::make_unique<Topic>().
//       static std::unique_ptr<Topic> create();
//   };
//
// CdrWriter::writeObject<Topic>(pointer) and CdrReader::readObject<Topic>()
// then handle presence, numbering and back-references and call these for
// objects met for the first time.  Classes held by value (a group inside a
// table, an element of a vector) call their body routines directly.
#pragma once

namespace quibo {

template <class T>
struct CdrBody;

}  // namespace quibo
