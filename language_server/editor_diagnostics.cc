#include "language_server/editor_diagnostics.h"

#include <algorithm>

#include "generator/frontend/lexer.h"

namespace kivls {

namespace {

using nlohmann::json;

// The protocol's severities.
constexpr int kSeverityError = 1;
constexpr int kSeverityWarning = 2;

json PositionJson(const Position& position) {
  return json{{"line", position.line}, {"character", position.character}};
}

json LocationJson(const std::string& uri, const Range& range) {
  return json{{"uri", uri}, {"range", RangeJson(range)}};
}

// Where a record's location lies: its document and range.
struct Place {
  std::string uri;
  Range range;
  bool known = false;
};

class Converter {
 public:
  Converter(const SpecCheck& check, const DocumentView& checked,
            const DocumentLookup& lookup, PositionEncoding encoding)
      : check_(check),
        checked_(checked),
        lookup_(lookup),
        encoding_(encoding) {}

  std::map<std::string, std::vector<json>> Convert() {
    result_[checked_.uri];
    for (const kivg::Diagnostic& diagnostic : check_.diagnostics())
      Add(diagnostic);
    return std::move(result_);
  }

 private:
  Place PlaceOf(const kivg::SourceLocation& location) {
    Place place;
    if (!location.HasFileName() ||
        location.fileName.str() == check_.mainFileName()) {
      place.uri = checked_.uri;
      if (location.HasFileName() && checked_.text != nullptr)
        place.range = TokenRange(*checked_.text, location, encoding_);
      place.known = true;
      return place;
    }
    const std::string path = check_.PathOf(location.fileName.str());
    if (path.empty()) return place;
    const DocumentView view = lookup_(path);
    place.uri = view.uri;
    if (view.text != nullptr)
      place.range = TokenRange(*view.text, location, encoding_);
    place.known = true;
    return place;
  }

  static json Related(const Place& place, const std::string& message) {
    return json{{"location", LocationJson(place.uri, place.range)},
                {"message", message}};
  }

  void Add(const kivg::Diagnostic& diagnostic) {
    const Place place = PlaceOf(diagnostic.location);
    json own = json::array();
    if (diagnostic.relatedLocation.HasFileName()) {
      const Place other = PlaceOf(diagnostic.relatedLocation);
      if (other.known) own.push_back(Related(other, diagnostic.relatedMessage));
    }
    // The statements that led to the file, innermost first.
    const std::vector<IncludeStep> chain = check_.ChainOf(diagnostic.location);
    std::vector<Place> steps;
    json stepsRelated = json::array();
    for (const IncludeStep& step : chain) {
      steps.push_back(PlaceOf(step.location));
      if (steps.back().known)
        stepsRelated.push_back(Related(
            steps.back(), step.imported ? "Imported here" : "Included here"));
    }

    if (place.known) {
      json related = own;
      for (const json& step : stepsRelated) related.push_back(step);
      result_[place.uri].push_back(
          Item(diagnostic, place.range, diagnostic.message, related));
    }

    // In another file: shown again at the statement in the checked document
    // that led there, as the whole line kivg prints, with the place itself
    // and the statements between as related information.
    if (chain.empty() || !steps.back().known ||
        steps.back().uri != checked_.uri)
      return;
    std::string line = kivg::FormatDiagnostic(diagnostic);
    line.pop_back();
    json related = json::array();
    if (place.known) related.push_back(Related(place, diagnostic.message));
    for (const json& item : own) related.push_back(item);
    for (size_t i = 0; i + 1 < stepsRelated.size(); ++i)
      related.push_back(stepsRelated[i]);
    result_[checked_.uri].push_back(
        Item(diagnostic, steps.back().range, line, related));
  }

  static json Item(const kivg::Diagnostic& diagnostic, const Range& range,
                   const std::string& message, const json& related) {
    json item{{"range", RangeJson(range)},
              {"severity", diagnostic.severity == kivg::Severity::kError
                               ? kSeverityError
                               : kSeverityWarning},
              {"source", "kivg"},
              {"message", message}};
    if (!related.empty()) item["relatedInformation"] = related;
    return item;
  }

  const SpecCheck& check_;
  const DocumentView& checked_;
  const DocumentLookup& lookup_;
  PositionEncoding encoding_;
  std::map<std::string, std::vector<json>> result_;
};

}  // namespace

size_t TokenLength(const std::string& text, size_t offset, size_t lineEnd) {
  if (offset >= lineEnd) return 0;
  const std::string rest = text.substr(offset, lineEnd - offset);
  kivg::Lexer lexer(rest, "");
  std::unique_ptr<kivg::Token> token(lexer.NextToken());
  size_t length = rest.size();
  if (lexer.inputLine() == 1)
    length =
        std::min(rest.size(), static_cast<size_t>(lexer.inputColumn() - 1));
  // A rejected numeral's text ends with the character that was not
  // consumed.
  if (token->type == kivg::TokenType::BAD && token->text.size() == length + 1 &&
      rest.compare(0, token->text.size(), token->text) == 0)
    ++length;
  return std::max<size_t>(length, 1);
}

Range TokenRange(const TextDocument& document,
                 const kivg::SourceLocation& location,
                 PositionEncoding encoding) {
  const size_t start =
      document.OffsetOfLocation(location.line, location.column);
  const size_t lineEnd = document.LocationLineEnd(start);
  const size_t length = TokenLength(document.text(), start, lineEnd);
  Range range;
  range.start = document.PositionOf(start, encoding);
  range.end = document.PositionOf(start + length, encoding);
  return range;
}

json RangeJson(const Range& range) {
  return json{{"start", PositionJson(range.start)},
              {"end", PositionJson(range.end)}};
}

std::map<std::string, std::vector<json>> EditorDiagnostics(
    const SpecCheck& check, const DocumentView& checked,
    const DocumentLookup& lookup, PositionEncoding encoding) {
  return Converter(check, checked, lookup, encoding).Convert();
}

}  // namespace kivls
