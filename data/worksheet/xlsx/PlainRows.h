#pragma once
// A piece of whole rows read without expat where it has the plain shape spreadsheet writers give their rows: start,
// end and empty tags with quoted attributes, and text of printable ASCII between them. The handler sees the same
// starts, ends and character data as expat gives it; expat's general machinery (entities, encodings, attribute
// normalisation) cost a third of an .xlsx import's time and is needed only where a piece holds more than that.

#include "XmlParts.h"

#include <string_view>

namespace data::xlsx {

// Feeds the rows to handler as expat would, and returns true. Returns false at the first thing outside the plain
// shape (a reference, a comment or CDATA section, a byte outside printable ASCII, a line end inside a tag's
// attributes, a malformed or unclosed tag), with some events perhaps fed already: the caller then starts afresh on
// the same bytes with expat, which reads them or says what is wrong. Exceptions of the handler come out unchanged.
bool readPlainRows(std::string_view bytes, XmlHandler& handler);

} // namespace data::xlsx
