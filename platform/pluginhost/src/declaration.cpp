#include "pluginhost/declaration.h"

#include <cctype>

namespace pluginhost {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool Punctuation(char c) { return c == '(' || c == ')' || c == ',' || c == '='; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
  return s;
}

bool Identifier(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
  }
  return true;
}

// "name as T" -> T; nullopt when the parameter has no type.
std::optional<std::string_view> TypeAfterAs(std::string_view parameter) {
  std::vector<std::string_view> words;
  while (!(parameter = Trim(parameter)).empty()) {
    size_t end = 0;
    while (end < parameter.size() && !Blank(parameter[end])) ++end;
    words.push_back(parameter.substr(0, end));
    parameter.remove_prefix(end);
  }
  if (words.size() < 3) return std::nullopt;
  std::string_view as = words[words.size() - 2];
  if (as.size() != 2 || Lower(as[0]) != 'a' || Lower(as[1]) != 's') return std::nullopt;
  return words.back();
}

}  // namespace

ValueKind kind_of_type_name(std::string_view type_name) {
  std::string t;
  for (char c : Trim(type_name)) t += Lower(c);
  if (t == "integer" || t == "int32") return ValueKind::Integer;
  if (t == "int64") return ValueKind::Int64;
  if (t == "uint64") return ValueKind::UInt64;
  if (t == "double") return ValueKind::Double;
  if (t == "boolean") return ValueKind::Boolean;
  if (t == "string") return ValueKind::String;
  if (t == "memoryblock") return ValueKind::MemoryBlock;
  if (t == "ptr") return ValueKind::Ptr;
  if (t == "folderitem") return ValueKind::FolderItem;
  return ValueKind::Object;
}

std::string normal_declaration(std::string_view text) {
  std::string out;
  for (char c : Trim(text)) {
    if (Blank(c)) {
      if (!out.empty() && out.back() != ' ' && out.back() != '(' && out.back() != ',' && out.back() != '=') {
        out += ' ';
      }
      continue;
    }
    if (Punctuation(c) && !out.empty() && out.back() == ' ') out.pop_back();
    out += Lower(c);
  }
  return out;
}

std::string normal_name(std::string_view text) {
  std::string out;
  for (char c : Trim(text)) {
    if (Blank(c) || c == '(' || c == '=') break;
    out += Lower(c);
  }
  return out;
}

std::optional<Declaration> parse_declaration(std::string_view text) {
  text = Trim(text);
  Declaration d;
  size_t end = 0;
  while (end < text.size() && !Blank(text[end]) && text[end] != '(') ++end;
  d.name = std::string(text.substr(0, end));
  if (!Identifier(d.name)) return std::nullopt;
  std::string_view rest = Trim(text.substr(end));

  if (!rest.empty() && rest.front() == '(') {
    d.has_parameter_list = true;
    size_t close = rest.find(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view list = Trim(rest.substr(1, close - 1));
    while (!list.empty()) {
      size_t comma = list.find(',');
      std::string_view parameter = Trim(list.substr(0, comma));
      // A default value ("= 0") does not change the type.
      parameter = Trim(parameter.substr(0, parameter.find('=')));
      auto type = TypeAfterAs(parameter);
      if (!type || !Identifier(*type)) return std::nullopt;
      d.parameters.push_back(kind_of_type_name(*type));
      if (comma == std::string_view::npos) break;
      list = Trim(list.substr(comma + 1));
      if (list.empty()) return std::nullopt;  // a trailing comma
    }
    rest = Trim(rest.substr(close + 1));
  }
  if (!rest.empty()) {
    if (rest.size() < 3 || Lower(rest[0]) != 'a' || Lower(rest[1]) != 's' || !Blank(rest[2])) {
      return std::nullopt;
    }
    std::string_view type = Trim(rest.substr(2));
    if (!Identifier(type)) return std::nullopt;
    d.result = kind_of_type_name(type);
  }
  return d;
}

}  // namespace pluginhost
