#pragma once
// A piece of whole rows (or the shared strings' items) read without expat where it has the plain shape spreadsheet
// writers give them: start, end and empty tags with quoted attributes, and text between them of printable characters
// in well-formed UTF-8. The handler sees the same starts, ends and character data as expat gives it; expat's general
// machinery (entities, encodings, attribute normalisation) cost a third of an .xlsx import's time and is needed only
// where a piece holds more than that.

#include "worksheet/xlsx/XmlParts.h"

#include <string_view>

namespace data::xlsx {

// Feeds the rows to handler as expat would, and returns true. Returns false at the first thing outside the plain
// shape (a reference, a comment or CDATA section, a control character or malformed UTF-8, a line end inside a tag's
// attributes, a malformed or unclosed tag), with some events perhaps fed already: the caller then starts afresh on
// the same bytes with expat, which reads them or says what is wrong. Exceptions of the handler come out unchanged.
bool readPlainRows(std::string_view bytes, XmlHandler& handler);

} // namespace data::xlsx
