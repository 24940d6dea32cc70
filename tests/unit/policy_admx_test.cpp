// The administrative template that IT departments load into Group Policy must
// define every value the program reads, under its key, of the kind and range the
// program accepts: a value the template cannot set is a policy nobody can deploy,
// and one it sets outside the range is ignored on every PC.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "common/Text.h"
#include "state/Policy.h"

namespace dw {
namespace {

std::string ReadTemplate() {
  std::ifstream in(std::string(DW_SOURCE_DIR) + "/packaging/policies/Drivewarden.admx", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (const wchar_t* c = text; *c; ++c) out += static_cast<char>(*c);
  return out;
}

// The value of attribute in the tag that starts at tagStart ("" when absent).
std::string Attribute(const std::string& text, size_t tagStart, const std::string& attribute) {
  const size_t tagEnd = text.find('>', tagStart);
  const std::string tag = text.substr(tagStart, tagEnd - tagStart);
  const size_t at = tag.find(" " + attribute + "=\"");
  if (at == std::string::npos) return {};
  const size_t begin = at + attribute.size() + 3;
  return tag.substr(begin, tag.find('"', begin) - begin);
}

std::string TagName(const std::string& text, size_t tagStart) {
  const size_t end = text.find_first_of(" />", tagStart + 1);
  return text.substr(tagStart + 1, end - tagStart - 1);
}

TEST(PolicyTemplateTest, EveryValueTheProgramReadsIsDefinedWithItsKindAndRange) {
  const std::string admx = ReadTemplate();
  ASSERT_FALSE(admx.empty()) << "the template is missing";
  for (const TPolicyDefinition& definition : PolicyDefinitions()) {
    const std::string name = Narrow(definition.Name);
    SCOPED_TRACE(name);
    const size_t at = admx.find("valueName=\"" + name + "\"");
    ASSERT_NE(at, std::string::npos) << "no element sets it";
    EXPECT_EQ(admx.find("valueName=\"" + name + "\"", at + 1), std::string::npos) << "set twice";
    const size_t element = admx.rfind('<', at);
    const size_t policy = admx.rfind("<policy ", at);
    ASSERT_NE(policy, std::string::npos);
    EXPECT_EQ(Attribute(admx, policy, "key"), "Software\\Policies\\Drivewarden");
    EXPECT_EQ(Attribute(admx, policy, "class"), "Both");

    const std::string kind = TagName(admx, element);
    if (definition.Kind != PolicyKind::Number) {
      EXPECT_EQ(kind, "text");
      const std::string maxLength = Attribute(admx, element, "maxLength");
      ASSERT_FALSE(maxLength.empty()) << "an unbounded text box lets through what the program ignores";
      EXPECT_LE(std::stoul(maxLength), kPolicyTextLimit);
      continue;
    }
    std::set<uint32_t> offered;
    if (kind == "decimal") {
      EXPECT_EQ(Attribute(admx, element, "minValue"), std::to_string(definition.Low));
      EXPECT_EQ(Attribute(admx, element, "maxValue"), std::to_string(definition.High));
      continue;
    }
    ASSERT_EQ(kind, "enum");
    const size_t end = admx.find("</enum>", element);
    for (size_t item = admx.find("<decimal ", element); item < end; item = admx.find("<decimal ", item + 1))
      offered.insert(static_cast<uint32_t>(std::stoul(Attribute(admx, item, "value"))));
    std::set<uint32_t> accepted;
    for (uint32_t n = definition.Low; n <= definition.High; ++n) accepted.insert(n);
    EXPECT_EQ(offered, accepted) << "the choices must be exactly the values the program accepts";
  }
}

}  // namespace
}  // namespace dw
