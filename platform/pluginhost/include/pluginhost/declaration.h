#pragma once
// Declaration texts of plug-in members, as plug-ins register them and as the
// application binds them: "ReadMessage(ReportID as integer, reportType as
// integer, length as integer) as string", "TimeOut as Integer",
// "kIOHIDReportTypeInput = 0".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pluginhost {

// The kinds of value that cross the plug-in interface, by their type names.
enum class ValueKind {
  Void,
  Integer,      // "Integer": int32_t
  Int64,        // "Int64": int64_t
  UInt64,       // "UInt64": uint64_t
  Double,       // "Double": double
  Boolean,      // "Boolean": one byte
  String,       // "String": REALstring
  MemoryBlock,  // "MemoryBlock": REALmemoryBlock
  Ptr,          // "Ptr": an address
  FolderItem,   // "FolderItem": REALfolderItem
  Object,       // any other class name: REALobject
};

// The kind of a type name, case-insensitive.
ValueKind kind_of_type_name(std::string_view type_name);

struct Declaration {
  std::string name;  // as written
  std::vector<ValueKind> parameters;
  ValueKind result = ValueKind::Void;
  bool has_parameter_list = false;  // "Close" has none, "Close()" has one
};

// Parses a method, event or property declaration; nullopt when the text is not
// one ("Name[(p as T[ = default], ...)][ as T]").
std::optional<Declaration> parse_declaration(std::string_view text);

// The text with letters folded to lower case, runs of blanks made one blank,
// no blank before "(", ")", "," and "=" nor after "(", "," and "=": two
// declarations match when their normal forms are equal.
std::string normal_declaration(std::string_view text);

// The name of a declaration: the text before "(", " " or "=", folded to lower
// case.
std::string normal_name(std::string_view text);

}  // namespace pluginhost
