#pragma once
#include <memory>
#include <string>
#include <vector>

#include "sim/models/wmi/wmi_model.h"

// A small WQL evaluator for the statements the programs send: a select list
// or *, FROM a class, and WHERE with LIKE, =, <>, AND, OR, NOT and
// parentheses. Names compare without regard to case, and so does LIKE.
namespace sim {

struct WqlCondition;

struct WqlQuery {
  bool allProperties = false;
  std::vector<std::u16string> properties;
  std::u16string className;
  std::shared_ptr<const WqlCondition> where;  // null: every row
};

bool ParseWql(std::u16string_view text, WqlQuery* query, std::string* error);
bool RowMatches(const WqlQuery& query, const WmiRow& row);
// WQL LIKE: % any run, _ any one character, [abc] [a-z] [^abc] sets.
bool WqlLike(std::u16string_view value, std::u16string_view pattern);

}  // namespace sim
