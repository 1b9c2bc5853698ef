#include <gtest/gtest.h>

#include "pluginhost/declaration.h"

namespace {

using pluginhost::ValueKind;

struct ParseCase {
  friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.text; }
  const char* text;
  const char* name;
  std::vector<ValueKind> parameters;
  ValueKind result;
};

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ReadsNameParameterTypesAndResult) {
  auto d = pluginhost::parse_declaration(GetParam().text);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->name, GetParam().name);
  EXPECT_EQ(d->parameters, GetParam().parameters);
  EXPECT_EQ(d->result, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, ParseTest,
    ::testing::Values(
        ParseCase{"FindFirstDevice as boolean", "FindFirstDevice", {}, ValueKind::Boolean},
        ParseCase{"Close", "Close", {}, ValueKind::Void},
        ParseCase{"ReadMessage(ReportID as integer, reportType as integer, length as integer) as string",
                  "ReadMessage",
                  {ValueKind::Integer, ValueKind::Integer, ValueKind::Integer},
                  ValueKind::String},
        ParseCase{"StringXORQVX(data as string, XorMask as string, MaskOffset as integer = 0) as string",
                  "StringXORQVX",
                  {ValueKind::String, ValueKind::String, ValueKind::Integer},
                  ValueKind::String},
        ParseCase{"MinQVX(firstMem as Ptr, secondMem as Ptr, BitSize as integer = 8, Signed as Boolean = false) as "
                  "boolean",
                  "MinQVX",
                  {ValueKind::Ptr, ValueKind::Ptr, ValueKind::Integer, ValueKind::Boolean},
                  ValueKind::Boolean},
        ParseCase{"AddressQVX(offset as Int64 = 0) as UInt64", "AddressQVX", {ValueKind::Int64}, ValueKind::UInt64},
        ParseCase{
            "FSSpecQVX(offset as Integer) as FolderItem", "FSSpecQVX", {ValueKind::Integer}, ValueKind::FolderItem},
        ParseCase{"Picture as Picture", "Picture", {}, ValueKind::Object},
        ParseCase{"_Calc2te(iByteMax as integer = 255, WithSum0 as boolean = true)",
                  "_Calc2te",
                  {ValueKind::Integer, ValueKind::Boolean},
                  ValueKind::Void},
        ParseCase{"Create(size as Int64) as boolean", "Create", {ValueKind::Int64}, ValueKind::Boolean}));

TEST(DeclarationTest, RefusesTextThatIsNoDeclaration) {
  for (const char* text : {"", "(x as integer)", "Foo(x as integer", "Foo(x) as string", "Foo as", "Foo bar",
                           "Foo(x as integer,) as string"}) {
    EXPECT_FALSE(pluginhost::parse_declaration(text).has_value()) << text;
  }
}

TEST(DeclarationTest, NormalFormIgnoresCaseAndBlanks) {
  EXPECT_EQ(pluginhost::normal_declaration("  LenB( s as string )  as Integer "), "lenb(s as string) as integer");
  EXPECT_EQ(pluginhost::normal_declaration("X(a as integer = 0,b as string)"),
            pluginhost::normal_declaration("x( A  as Integer=0 , B as String )"));
  EXPECT_NE(pluginhost::normal_declaration("Add(a as integer)"), pluginhost::normal_declaration("Add(a as int64)"));
  EXPECT_EQ(pluginhost::normal_name("kIOHIDReportTypeInput = 0"), "kiohidreporttypeinput");
}

}  // namespace
