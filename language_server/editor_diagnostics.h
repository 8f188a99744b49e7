// Turns one check's diagnostic records into the protocol's diagnostics, each
// on the document it belongs to. A range covers the token that starts at
// the record's location (the name a message quotes, the bad token, the
// include name), as far as the generator's own lexer reads it. A record in
// an included or imported file goes to that file and is also shown, as the
// line kivg prints, at the include or import statement of the checked
// document, with the chain of statements as related information.
#pragma once

#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "generator/frontend/source_element.h"
#include "language_server/spec_check.h"
#include "language_server/text_document.h"

namespace kivls {

// How many bytes the token starting at offset covers on its line
// (lineEnd: the offset of the line's end). At least one byte unless the
// offset is the line's end.
size_t TokenLength(const std::string& text, size_t offset, size_t lineEnd);

// The editor range of the token at a generator location.
Range TokenRange(const TextDocument& document,
                 const kivg::SourceLocation& location,
                 PositionEncoding encoding);

nlohmann::json RangeJson(const Range& range);

// A document that a check's locations may point into.
struct DocumentView {
  std::string uri;
  const TextDocument* text = nullptr;  // null: the file cannot be read now
};

// The view of a normal absolute path.
using DocumentLookup = std::function<DocumentView(const std::string& path)>;

// The diagnostics of one check, by document URI. The checked document is
// always among them, with an empty list when nothing was found.
std::map<std::string, std::vector<nlohmann::json>> EditorDiagnostics(
    const SpecCheck& check, const DocumentView& checked,
    const DocumentLookup& lookup, PositionEncoding encoding);

}  // namespace kivls
