// Files and texts that are broken or built to hurt: each gets a clear error or a model.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "load_urdf.hpp"

namespace kinetra {
namespace {

namespace fs = std::filesystem;

class UrdfFile : public testing::Test {
 protected:
  void SetUp() override {
    path = fs::temp_directory_path() / ("kinetra_hostile_" + std::to_string(::getpid()) + ".urdf");
  }
  void TearDown() override { fs::remove(path); }

  std::string load_file_error(std::string_view content) {
    std::ofstream(path, std::ios::binary) << content;
    const auto models = build_models_from_urdf(path.string(), std::nullopt);
    return models ? "(loaded)" : models.error().display();
  }

  fs::path path;
};

TEST_F(UrdfFile, OperatingSystemErrorsNameThePath) {
  EXPECT_EQ(build_models_from_urdf("/no/such/robot.urdf", std::nullopt).error().display(),
            "IO error: No such file or directory (os error 2) (file: /no/such/robot.urdf)");
  const std::string directory = fs::temp_directory_path().string();
  EXPECT_EQ(build_models_from_urdf(directory, std::nullopt).error().display(),
            "IO error: Is a directory (os error 21) (file: " + directory + ")");
}

TEST_F(UrdfFile, NameWithNulIsRefusedNotCutShort) {
  std::ofstream(path, std::ios::binary) << "<robot name=\"r\"/>";
  const std::string name = path.string() + std::string(1, '\0') + "x";
  EXPECT_EQ(build_models_from_urdf(name, std::nullopt).error().display(),
            "IO error: file name contains a NUL byte (file: " + name + ")");
}

TEST_F(UrdfFile, InvalidUtf8IsAnIoErrorFromFilesAndAnXmlErrorFromText) {
  const std::string text = "<robot name=\"r\">\n<link name=\"\xC3\x28\"/></robot>";
  EXPECT_EQ(load_file_error(text),
            "IO error: stream did not contain valid UTF-8 (file: " + path.string() + ")");
  EXPECT_EQ(load_error(text), "XML parsing error: invalid UTF-8 at 2:13");
  for (const char* bad : {"\xED\xA0\x80", "\xC0\xAF", "\xF4\x90\x80\x80", "\xE2\x82"}) {
    EXPECT_EQ(load_error(robot(bad)).rfind("XML parsing error: invalid UTF-8 at 1:", 0), 0u);
  }
}

TEST_F(UrdfFile, EmptyAndMalformedDocuments) {
  EXPECT_EQ(load_file_error(""), "XML parsing error: No document element found at 1:1");
  EXPECT_EQ(load_error("<robot name=\"r\">\n  <link>\n</robot>"),
            "XML parsing error: Start-end tags mismatch at 3:3");
  EXPECT_EQ(load_error("<robot name=\"r\">\x01</robot>"),
            "XML parsing error: invalid character at 1:17");
  // a byte order mark is not content
  EXPECT_EQ(load("\xEF\xBB\xBF<robot name=\"bom\"/>").model.name(), "bom");
}

TEST(HostileText, DocumentTypeDeclarationsAreRefused) {
  const std::string bomb =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE robot [\n"
      "  <!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n"
      "  <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
      "  <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
      "]>\n<robot name=\"&c;\"/>";
  EXPECT_EQ(load_error(bomb),
            "XML parsing error: document type declarations are not allowed at 2:1");
  EXPECT_EQ(load_error("<!DOCTYPE robot SYSTEM \"file:///etc/passwd\"><robot name=\"r\"/>"),
            "XML parsing error: document type declarations are not allowed at 1:1");
  EXPECT_EQ(load_error("<robot name=\"r\"/>\n <!DOCTYPE x>"),
            "XML parsing error: document type declarations are not allowed at 2:2");
}

TEST(HostileText, NonFiniteNumbersAreRefused) {
  const std::string text = robot(
      R"(<link name="a"><inertial><origin xyz="inf 0 0"/><mass value="nan"/>
         <inertia ixx="1e999" ixy="0" ixz="0" iyy="1" iyz="0" izz="1"/></inertial></link>
         <link name="b"/><joint name="j" type="revolute"><parent link="a"/><child link="b"/>
         <origin xyz="-inf 0 0"/><limit lower="nan" upper="inf" effort="1" velocity="1"/></joint>)");
  EXPECT_EQ(load_error(text), "Invalid value for parameter: value");
}

TEST(HostileText, DeepNestingDoesNotExhaustTheStack) {
  constexpr int depth = 200'000;
  std::string xml;
  for (int i = 0; i < depth; ++i) xml += "<a>";
  xml += "<robot name=\"deep\"/>";
  for (int i = 0; i < depth; ++i) xml += "</a>";
  EXPECT_EQ(load(xml).model.name(), "deep");
}

// base -> l1 -> ... -> l{n}, each link with an inertial and each joint revolute.
std::string chain(int n) {
  std::string xml = "<robot name=\"chain\">";
  for (int i = 0; i <= n; ++i) {
    xml +=
        "<link name=\"l" + std::to_string(i) +
        R"("><inertial><mass value="1"/><inertia ixx="1" ixy="0" ixz="0" iyy="1" iyz="0" izz="1"/>
              </inertial></link>)";
  }
  // joints in reverse document order: the walk must not depend on it
  for (int i = n; i-- > 0;) {
    xml +=
        "<joint name=\"j" + std::to_string(i) + "\" type=\"revolute\"><parent link=\"l" +
        std::to_string(i) + "\"/><child link=\"l" + std::to_string(i + 1) +
        R"("/><origin xyz="0 0 0.1"/><axis xyz="0 0 1"/><limit effort="1" velocity="1"/></joint>)";
  }
  return xml + "</robot>";
}

// Its load time is measured by the chain benchmarks; here it must simply load, whole.
TEST(HostileText, HundredThousandLinkChainLoads) {
  const auto models = load(chain(100'000));
  EXPECT_EQ(models.model.njoints(), 100'001u);
  EXPECT_EQ(models.model.joint_parents().back(), 99'999u);
  EXPECT_EQ(models.model.joint_names().back(), "j99999");
}

// A reference and the name of its fault.
using BadReference = std::pair<const char*, const char*>;
class Reference : public testing::TestWithParam<BadReference> {};

// Decoded text obeys the rules of raw text: never a NUL, control character, surrogate or code
// point beyond Unicode, and no entity but the predefined ones.
TEST_P(Reference, IsRefusedAtItsPosition) {
  const auto [reference, fault] = GetParam();
  EXPECT_EQ(
      load_error("<robot name=\"r\">\n <link name=\"a" + std::string(reference) + "\"/></robot>"),
      "XML parsing error: " + std::string(fault) + " at 2:15");
}

constexpr const char* invalid = "invalid character reference";
constexpr const char* undefined = "undefined entity";
INSTANTIATE_TEST_SUITE_P(
    Hostile, Reference,
    testing::Values(BadReference{"&#xD800;", invalid}, BadReference{"&#xDFFF;", invalid},
                    BadReference{"&#x110000;", invalid}, BadReference{"&#0;", invalid},
                    BadReference{"&#x0;", invalid}, BadReference{"&#1;", invalid},
                    BadReference{"&#x1F;", invalid},
                    BadReference{"&#99999999999999999999;", invalid}, BadReference{"&#;", invalid},
                    BadReference{"&#x;", invalid}, BadReference{"&#X41;", invalid},
                    BadReference{"&#12a;", invalid}, BadReference{"&x;", undefined},
                    BadReference{"&nbsp;", undefined}, BadReference{"&lt", undefined},
                    BadReference{"&", undefined}));

TEST(HostileText, ValidReferencesDecodeAndLiteralSectionsHoldNone) {
  const auto models = load(
      "<?pi & ?><robot name=\"&#x9;&#65;&#x1F600;&lt;&gt;&amp;&apos;&quot;\"><!-- & &#0; -->"
      "<link name='b&#x10FFFF;'><![CDATA[&x; &#0;]]></link></robot>");
  EXPECT_EQ(models.model.name(), "\tA\xF0\x9F\x98\x80<>&'\"");
  EXPECT_EQ(models.model.frames()[1].name, "b\xF4\x8F\xBF\xBF");
  EXPECT_EQ(load_error(robot("<link name=\"x\"><visual><geometry><mesh filename=\"/etc/"
                             "passwd&#0;.stl\"/></geometry></visual></link>")),
            "XML parsing error: invalid character reference at 1:77");
}

TEST(HostileText, LinkNamesAreUnique) {
  EXPECT_EQ(load_error(robot(R"(<link name="a"/><link name="b"/><joint name="j" type="fixed">
      <parent link="a"/><child link="b"/></joint><link name="b"><inertial><mass value="1"/>
      <inertia ixx="1" ixy="0" ixz="0" iyy="1" iyz="0" izz="1"/></inertial></link>)")),
            "Link 'b' is defined more than once.");
  EXPECT_EQ(load_error(robot(R"(<link name="a"/><link name="a"/>)")),
            "Link 'a' is defined more than once.");
}

TEST_F(UrdfFile, OnlyRegularFilesAreRead) {
  fs::create_symlink("/dev/zero", path);
  EXPECT_EQ(build_models_from_urdf(path.string(), std::nullopt).error().display(),
            "IO error: not a regular file (file: " + path.string() + ")");
  fs::remove(path);
  // a FIFO without a writer would block an ordinary open
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(build_models_from_urdf(path.string(), std::nullopt).error().display(),
            "IO error: not a regular file (file: " + path.string() + ")");
}

}  // namespace
}  // namespace kinetra
