#include "sim/models/wmi/wql.h"

#include <optional>

#include "common/ascii_case.h"
#include "sim/core/text_codec.h"

namespace sim {

struct WqlCondition {
  enum class Kind { Like, Equal, NotEqual, And, Or, Not } kind;
  std::u16string property;
  std::u16string literal;
  std::shared_ptr<const WqlCondition> left, right;
};

namespace {

using Condition = std::shared_ptr<const WqlCondition>;

struct Token {
  enum class Kind { Word, String, Symbol, End } kind;
  std::u16string text;
};

bool IsWordChar(char16_t ch) {
  return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') ||
         ch == u'_';
}

bool Tokenize(std::u16string_view text, std::vector<Token>* tokens, std::string* error) {
  std::size_t i = 0;
  while (i < text.size()) {
    const char16_t ch = text[i];
    if (ch == u' ' || ch == u'\t' || ch == u'\r' || ch == u'\n') {
      ++i;
    } else if (IsWordChar(ch)) {
      std::size_t end = i;
      while (end < text.size() && IsWordChar(text[end])) ++end;
      tokens->push_back({Token::Kind::Word, std::u16string(text.substr(i, end - i))});
      i = end;
    } else if (ch == u'\'' || ch == u'"') {
      const std::size_t end = text.find(ch, i + 1);
      if (end == std::u16string_view::npos) {
        *error = "unterminated string";
        return false;
      }
      tokens->push_back({Token::Kind::String, std::u16string(text.substr(i + 1, end - i - 1))});
      i = end + 1;
    } else if ((ch == u'<' || ch == u'!') && i + 1 < text.size() &&
               (text[i + 1] == u'>' || text[i + 1] == u'=')) {
      tokens->push_back({Token::Kind::Symbol, u"<>"});
      i += 2;
    } else if (ch == u',' || ch == u'*' || ch == u'(' || ch == u')' || ch == u'=') {
      tokens->push_back({Token::Kind::Symbol, std::u16string(1, ch)});
      ++i;
    } else {
      *error = "unexpected character";
      return false;
    }
  }
  tokens->push_back({Token::Kind::End, u""});
  return true;
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  bool Parse(WqlQuery* query, std::string* error) {
    if (!Keyword(u"SELECT")) return Error(error, "SELECT expected");
    if (Symbol(u"*")) {
      query->allProperties = true;
    } else {
      do {
        if (Peek().kind != Token::Kind::Word || IsKeyword(Peek().text)) {
          return Error(error, "property name expected");
        }
        query->properties.push_back(Next().text);
      } while (Symbol(u","));
    }
    if (!Keyword(u"FROM")) return Error(error, "FROM expected");
    if (Peek().kind != Token::Kind::Word) return Error(error, "class name expected");
    query->className = Next().text;
    if (Keyword(u"WHERE")) {
      query->where = Or();
      if (query->where == nullptr) return Error(error, "bad condition");
    }
    if (Peek().kind != Token::Kind::End) return Error(error, "unexpected words at the end");
    return true;
  }

 private:
  static bool IsKeyword(const std::u16string& word) {
    const std::u16string upper = common::UpperAscii(word);
    for (const char16_t* keyword : {u"SELECT", u"FROM", u"WHERE", u"AND", u"OR", u"NOT", u"LIKE"}) {
      if (upper == keyword) return true;
    }
    return false;
  }
  const Token& Peek() const { return tokens_[at_]; }
  const Token& Next() { return tokens_[at_ < tokens_.size() - 1 ? at_++ : at_]; }
  bool Keyword(const char16_t* word) {
    if (Peek().kind != Token::Kind::Word || common::UpperAscii(Peek().text) != word) return false;
    ++at_;
    return true;
  }
  bool Symbol(const char16_t* symbol) {
    if (Peek().kind != Token::Kind::Symbol || Peek().text != symbol) return false;
    ++at_;
    return true;
  }
  static bool Error(std::string* error, const char* text) {
    *error = text;
    return false;
  }
  static Condition Join(WqlCondition::Kind kind, Condition left, Condition right) {
    auto node = std::make_shared<WqlCondition>();
    node->kind = kind;
    node->left = std::move(left);
    node->right = std::move(right);
    return node;
  }

  Condition Or() {
    Condition left = And();
    while (left != nullptr && Keyword(u"OR")) {
      Condition right = And();
      if (right == nullptr) return nullptr;
      left = Join(WqlCondition::Kind::Or, left, right);
    }
    return left;
  }
  Condition And() {
    Condition left = Not();
    while (left != nullptr && Keyword(u"AND")) {
      Condition right = Not();
      if (right == nullptr) return nullptr;
      left = Join(WqlCondition::Kind::And, left, right);
    }
    return left;
  }
  Condition Not() {
    if (Keyword(u"NOT")) {
      Condition inner = Not();
      return inner == nullptr ? nullptr : Join(WqlCondition::Kind::Not, inner, nullptr);
    }
    return Comparison();
  }
  Condition Comparison() {
    if (Symbol(u"(")) {
      Condition inner = Or();
      return inner != nullptr && Symbol(u")") ? inner : nullptr;
    }
    if (Peek().kind != Token::Kind::Word || IsKeyword(Peek().text)) return nullptr;
    auto node = std::make_shared<WqlCondition>();
    node->property = Next().text;
    if (Keyword(u"LIKE")) node->kind = WqlCondition::Kind::Like;
    else if (Symbol(u"=")) node->kind = WqlCondition::Kind::Equal;
    else if (Symbol(u"<>")) node->kind = WqlCondition::Kind::NotEqual;
    else return nullptr;
    if (Peek().kind != Token::Kind::String) return nullptr;
    node->literal = Next().text;
    return node;
  }

  std::vector<Token> tokens_;
  std::size_t at_ = 0;
};

char16_t Fold(char16_t ch) { return common::UpperAscii(ch); }

// Matches a [set] at pattern[p] against ch; returns the position after it,
// or npos when the set is not closed.
std::size_t MatchSet(std::u16string_view pattern, std::size_t p, char16_t ch, bool* matched) {
  std::size_t i = p + 1;
  bool negate = false;
  if (i < pattern.size() && pattern[i] == u'^') {
    negate = true;
    ++i;
  }
  bool found = false;
  const std::size_t first = i;
  while (i < pattern.size() && (pattern[i] != u']' || i == first)) {
    if (i + 2 < pattern.size() && pattern[i + 1] == u'-' && pattern[i + 2] != u']') {
      if (Fold(ch) >= Fold(pattern[i]) && Fold(ch) <= Fold(pattern[i + 2])) found = true;
      i += 3;
    } else {
      if (Fold(ch) == Fold(pattern[i])) found = true;
      ++i;
    }
  }
  if (i >= pattern.size()) return std::u16string_view::npos;
  *matched = found != negate;
  return i + 1;
}

bool LikeFrom(std::u16string_view value, std::size_t v, std::u16string_view pattern, std::size_t p) {
  while (p < pattern.size()) {
    const char16_t token = pattern[p];
    if (token == u'%') {
      for (std::size_t start = v; start <= value.size(); ++start) {
        if (LikeFrom(value, start, pattern, p + 1)) return true;
      }
      return false;
    }
    if (v >= value.size()) return false;
    if (token == u'_') {
      ++v;
      ++p;
    } else if (token == u'[') {
      bool matched = false;
      const std::size_t after = MatchSet(pattern, p, value[v], &matched);
      if (after == std::u16string_view::npos) {  // a lone [ is itself
        if (value[v] != u'[') return false;
        ++p;
      } else {
        if (!matched) return false;
        p = after;
      }
      ++v;
    } else {
      if (Fold(value[v]) != Fold(token)) return false;
      ++v;
      ++p;
    }
  }
  return v == value.size();
}

std::optional<std::u16string> PropertyOf(const WmiRow& row, const std::u16string& name) {
  const std::u16string upper = common::UpperAscii(name);
  for (const auto& [property, value] : row.properties) {
    if (common::UpperAscii(property) == upper) return value;
  }
  return std::nullopt;
}

bool Evaluate(const WqlCondition& condition, const WmiRow& row) {
  switch (condition.kind) {
    case WqlCondition::Kind::And: return Evaluate(*condition.left, row) && Evaluate(*condition.right, row);
    case WqlCondition::Kind::Or: return Evaluate(*condition.left, row) || Evaluate(*condition.right, row);
    case WqlCondition::Kind::Not: return !Evaluate(*condition.left, row);
    default: break;
  }
  const std::optional<std::u16string> value = PropertyOf(row, condition.property);
  if (!value) return false;  // null matches nothing
  switch (condition.kind) {
    case WqlCondition::Kind::Like: return WqlLike(*value, condition.literal);
    case WqlCondition::Kind::Equal: return common::UpperAscii(*value) == common::UpperAscii(condition.literal);
    default: return common::UpperAscii(*value) != common::UpperAscii(condition.literal);
  }
}

}  // namespace

bool ParseWql(std::u16string_view text, WqlQuery* query, std::string* error) {
  std::vector<Token> tokens;
  if (!Tokenize(text, &tokens, error)) return false;
  *query = WqlQuery{};
  return Parser(std::move(tokens)).Parse(query, error);
}

bool RowMatches(const WqlQuery& query, const WmiRow& row) {
  return query.where == nullptr || Evaluate(*query.where, row);
}

bool WqlLike(std::u16string_view value, std::u16string_view pattern) {
  return LikeFrom(value, 0, pattern, 0);
}

}  // namespace sim
