#include <gtest/gtest.h>

#include <string>

#include "content/ListXml.h"
#include "content/RegistryItemRules.h"
#include "content/RegistryOperation.h"
#include "content/RegistryTree.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::ParseList;
using testing::WriteList;

const RegistryOperation& OperationOf(const TreeNode& node) {
  return dynamic_cast<const RegistryOperation&>(*node.record);
}

bool ReadBack(RegistryTree& tree, const WString& listText) {
  pugi::xml_document dom;
  const pugi::xml_node list = ParseList(dom, "RegList", listText);
  return list && tree.ReadXml(list);
}

// The node at a backslash-separated path of labels, or nullptr.
const TreeNode* At(const RegistryTree& tree, std::u16string_view path) {
  const TreeNode* node = nullptr;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    node = tree.FindChild(node, path.substr(start, end - start));
    if (node == nullptr) return nullptr;
    start = end + 1;
  }
  return node;
}

RegistryItemFields Fields(std::u16string_view base, std::u16string_view subKey,
                          RegistryAction action, std::u16string_view name = u"",
                          std::u16string_view type = u"REG_SZ", std::u16string_view data = u"") {
  RegistryItemFields fields;
  fields.baseKey = WString(base);
  fields.subKey = WString(subKey);
  fields.actionIndex = static_cast<int>(action);
  fields.valueName = WString(name);
  fields.valueType = WString(type);
  fields.valueData = WString(data);
  return fields;
}

const WString kWorkedExample =
    u"\t\t<Key Name=\"HKEY_CURRENT_USER\">\r\n"
    u"\t\t\t<Key Name=\"Software\">\r\n"
    u"\t\t\t\t<Key Name=\"MyApp\">\r\n"
    u"\t\t\t\t\t<Key Name=\"Cache\">\r\n"
    u"\t\t\t\t\t\t<Value Name=\"Create key\" Action=\"Create \"  />\r\n"
    u"\t\t\t\t\t</Key>\r\n"
    u"\t\t\t\t</Key>\r\n"
    u"\t\t\t</Key>\r\n"
    u"\t\t</Key>\r\n"
    u"\t\t<Key Name=\"HKEY_LOCAL_MACHINE\">\r\n"
    u"\t\t\t<Key Name=\"Software\">\r\n"
    u"\t\t\t\t<Key Name=\"MyApp\">\r\n"
    u"\t\t\t\t\t<Value Name=\"Version\" Action=\"Add REG_SZ 2.1\"  />\r\n"
    u"\t\t\t\t</Key>\r\n"
    u"\t\t\t</Key>\r\n"
    u"\t\t</Key>\r\n";

void BuildWorkedExample(RegistryTree& tree) {
  ASSERT_NE(AddRegistryOperation(tree, Fields(u"HKEY_LOCAL_MACHINE", u"Software\\MyApp",
                                              RegistryAction::AddValue, u"Version", u"REG_SZ",
                                              u"2.1")),
            nullptr);
  ASSERT_NE(AddRegistryOperation(tree, Fields(u"HKEY_CURRENT_USER", u"Software\\MyApp\\Cache",
                                              RegistryAction::CreateKey)),
            nullptr);
}

TEST(RegistryTree, WritesTheWorkedExampleByteForByte) {
  RegistryTree tree;
  BuildWorkedExample(tree);
  EXPECT_EQ(WriteList(tree), kWorkedExample);
  // No measured values: the server form is the same text.
  EXPECT_EQ(WriteList(tree, XmlForm::ServerForm), kWorkedExample);
}

TEST(RegistryTree, ReadsTheWorkedExampleBackAndWritesItAgainIdentically) {
  RegistryTree tree;
  ASSERT_TRUE(ReadBack(tree, kWorkedExample));
  EXPECT_EQ(WriteList(tree), kWorkedExample);

  const TreeNode* created = At(tree, u"HKEY_CURRENT_USER\\Software\\MyApp\\Cache\\Create key");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->name, u"Create key");
  EXPECT_EQ(OperationOf(*created).verb, u"Create");
  EXPECT_EQ(OperationOf(*created).valueType, u"");
  EXPECT_EQ(OperationOf(*created).valueData, u"");

  const TreeNode* version = At(tree, u"HKEY_LOCAL_MACHINE\\Software\\MyApp\\Version");
  ASSERT_NE(version, nullptr);
  const RegistryOperation& operation = OperationOf(*version);
  EXPECT_EQ(operation.Name, u"Version");
  EXPECT_EQ(operation.OS, 31);
  EXPECT_EQ(operation.verb, u"Add");
  EXPECT_EQ(operation.valueType, u"REG_SZ");
  EXPECT_EQ(operation.valueData, u"2.1");
}

TEST(RegistryTree, EmptyTreeWritesNothing) {
  RegistryTree tree;
  WString out = u"kept";
  EXPECT_TRUE(tree.WriteXml(out, XmlForm::ProjectForm));
  EXPECT_EQ(out, u"kept");
}

TEST(RegistryTree, DeletingTheLastOperationOfAKeyRemovesTheKeysLeftEmpty) {
  RegistryTree tree;
  BuildWorkedExample(tree);
  tree.DeleteItem(const_cast<TreeNode*>(
      At(tree, u"HKEY_CURRENT_USER\\Software\\MyApp\\Cache\\<Create key>")));
  EXPECT_EQ(tree.FindChild(nullptr, u"HKEY_CURRENT_USER"), nullptr);
  EXPECT_NE(At(tree, u"HKEY_LOCAL_MACHINE\\Software\\MyApp\\Version"), nullptr);
}

// How the Action value of a Value element is split into verb, type and data.
TEST(RegistryTree, SplitsTheActionValueAtItsFirstTwoBlanks) {
  struct Case {
    const char* attributes;
    std::u16string verb, type, data;
  };
  const Case cases[] = {
      {R"(Action="Add REG_SZ 2.1")", u"Add", u"REG_SZ", u"2.1"},
      {R"(Action="Remove ")", u"Remove", u"", u""},
      {R"(Action="Remove  ")", u"Remove", u"", u""},
      {R"(Action="Remove")", u"", u"", u""},
      {R"(Action="")", u"", u"", u""},
      {R"(Other="Add REG_SZ x")", u"", u"", u""},
      {R"(Action="Add  data")", u"Add", u"", u"data"},
      {R"(Action="Add REG_SZ")", u"Add", u"", u""},
      {R"(Action="Add REG_SZ a b  c ")", u"Add", u"REG_SZ", u"a b  c "},
      {R"(Action=" REG_SZ x")", u"", u"REG_SZ", u"x"},
      {R"(aCTION="Delete  ")", u"Delete", u"", u""},
      // Only the first Action attribute counts.
      {R"(Action="Add REG_SZ 1" ACTION="Delete  ")", u"Add", u"REG_SZ", u"1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    RegistryTree tree;
    const WString xml =
        u"\t\t<Value Name=\"v\" " + text::FromUtf8(c.attributes) + u" />\r\n";
    ASSERT_TRUE(ReadBack(tree, xml));
    const TreeNode* node = tree.FindChild(nullptr, u"v");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(OperationOf(*node).verb, c.verb);
    EXPECT_EQ(OperationOf(*node).valueType, c.type);
    EXPECT_EQ(OperationOf(*node).valueData, c.data);
  }
}

TEST(RegistryTree, ValueWithoutActionStaysAndIsWrittenBackAsSuch) {
  RegistryTree tree;
  ASSERT_TRUE(ReadBack(tree, u"\t\t<Key Name=\"HKEY_USERS\">\r\n"
                             u"\t\t\t<Value Name=\"Lonely\" />\r\n"
                             u"\t\t</Key>\r\n"));
  EXPECT_EQ(WriteList(tree),
            u"\t\t<Key Name=\"HKEY_USERS\">\r\n"
            u"\t\t\t<Value Name=\"Lonely\" Action=\" \"  />\r\n"
            u"\t\t</Key>\r\n");
}

TEST(RegistryTree, ValueDataBlanksAreReducedInPairsAndMarkupIsEscaped) {
  RegistryTree tree;
  ASSERT_NE(AddRegistryOperation(tree, Fields(u"HKEY_CURRENT_USER", u"Software",
                                              RegistryAction::AddValue, u"Say <it>",
                                              u"REG_SZ", u"a  b   \"c\" & 'd' <e>")),
            nullptr);
  const WString written = WriteList(tree);
  EXPECT_EQ(written,
            u"\t\t<Key Name=\"HKEY_CURRENT_USER\">\r\n"
            u"\t\t\t<Key Name=\"Software\">\r\n"
            u"\t\t\t\t<Value Name=\"it\" Action=\"Add REG_SZ a b  &quot;c&quot; &amp; "
            u"&apos;d&apos; &lt;e&gt;\"  />\r\n"
            u"\t\t\t</Key>\r\n"
            u"\t\t</Key>\r\n");

  RegistryTree again;
  ASSERT_TRUE(ReadBack(again, written));
  const TreeNode* node = At(again, u"HKEY_CURRENT_USER\\Software\\it");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(OperationOf(*node).valueData, u"a b  \"c\" & 'd' <e>");
  // Every save reduces the pairs it finds, so the pair left by the first save
  // goes with the second.
  EXPECT_EQ(WriteList(again), text::ReplaceAll(written, u"b  &quot;", u"b &quot;"));
}

TEST(RegistryTree, CommandLineDataReadsBackWhole) {
  const WString data = u"\"C:\\Program Files\\MyApp\\app.exe\" /quiet /log c:\\x.txt";
  RegistryTree tree;
  ASSERT_NE(AddRegistryOperation(tree, Fields(u"HKEY_LOCAL_MACHINE",
                                              u"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                              RegistryAction::AddValue, u"MyApp", u"REG_SZ",
                                              data)),
            nullptr);
  RegistryTree again;
  ASSERT_TRUE(ReadBack(again, WriteList(tree)));
  const TreeNode* node =
      At(again, u"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\MyApp");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(OperationOf(*node).valueType, u"REG_SZ");
  EXPECT_EQ(OperationOf(*node).valueData, data);
}

TEST(RegistryTree, TargetSystemsAreWrittenAndReadWithTheOperation) {
  RegistryTree tree;
  TreeNode* key = tree.AddDirectoryPath(u"HKEY_CURRENT_USER\\Software", nullptr);
  RegistryOperation operation;
  operation.verb = u"Delete";
  operation.OS = 3;
  tree.InsertItem(key, &operation, u"Old");
  operation.OS = 0;
  operation.verb = u"Add";
  operation.valueType = u"REG_DWORD";
  operation.valueData = u"1";
  tree.InsertItem(key, &operation, u"Zero");

  const WString project = WriteList(tree);
  EXPECT_EQ(project,
            u"\t\t<Key Name=\"HKEY_CURRENT_USER\">\r\n"
            u"\t\t\t<Key Name=\"Software\">\r\n"
            u"\t\t\t\t<Value Name=\"Old\" OS=\"3\" Action=\"Delete \"  />\r\n"
            u"\t\t\t\t<Value Name=\"Zero\" OS=\"0\" Action=\"Add REG_DWORD 1\"  />\r\n"
            u"\t\t\t</Key>\r\n"
            u"\t\t</Key>\r\n");
  // The server form drops the name and targets of an operation for no system.
  EXPECT_EQ(WriteList(tree, XmlForm::ServerForm),
            u"\t\t<Key Name=\"HKEY_CURRENT_USER\">\r\n"
            u"\t\t\t<Key Name=\"Software\">\r\n"
            u"\t\t\t\t<Value Name=\"Old\" OS=\"3\" Action=\"Delete \"  />\r\n"
            u"\t\t\t\t<Value  Action=\"Add REG_DWORD 1\"  />\r\n"
            u"\t\t\t</Key>\r\n"
            u"\t\t</Key>\r\n");

  RegistryTree again;
  ASSERT_TRUE(ReadBack(again, project));
  EXPECT_EQ(OperationOf(*At(again, u"HKEY_CURRENT_USER\\Software\\Old")).OS, 3);
  EXPECT_EQ(OperationOf(*At(again, u"HKEY_CURRENT_USER\\Software\\Zero")).OS, 0);
  EXPECT_EQ(WriteList(again), project);
}

TEST(RegistryTree, DuplicateValueElementsUnderOneKeyKeepTheFirst) {
  RegistryTree tree;
  ASSERT_TRUE(ReadBack(tree, u"\t\t<Key Name=\"HKEY_USERS\">\r\n"
                             u"\t\t\t<Value Name=\"Mode\" Action=\"Add REG_SZ first\" />\r\n"
                             u"\t\t\t<Value Name=\"MODE\" Action=\"Add REG_SZ second\" />\r\n"
                             u"\t\t</Key>\r\n"
                             u"\t\t<Key Name=\"hkey_users\">\r\n"
                             u"\t\t\t<Value Name=\"mode\" Action=\"Add REG_SZ third\" />\r\n"
                             u"\t\t</Key>\r\n"));
  ASSERT_EQ(tree.Children(nullptr).size(), 1u);
  const TreeNode* key = tree.Children(nullptr)[0];
  ASSERT_EQ(key->children.size(), 1u);
  EXPECT_EQ(OperationOf(*key->children[0]).valueData, u"first");
}

// Hostile documents: only the first ten attributes of an element are read,
// and deep nesting neither overflows the stack nor is cut.
TEST(RegistryTree, ReadsOnlyTheFirstTenAttributesOfAValue) {
  std::string filler;
  for (int i = 0; i < 5000; ++i) filler += " a" + std::to_string(i) + "=\"x\"";
  RegistryTree tree;
  // Action is the eleventh attribute here, Name the tenth.
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += " b" + std::to_string(i) + "=\"y\"";
  const WString xml = text::FromUtf8("\t\t<Value" + nine + " Name=\"Tenth\" Action=\"Add REG_SZ x\"" +
                                     filler + " />\r\n");
  ASSERT_TRUE(ReadBack(tree, xml));
  const TreeNode* node = tree.FindChild(nullptr, u"Tenth");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(OperationOf(*node).verb, u"");
  EXPECT_EQ(OperationOf(*node).valueData, u"");
}

TEST(RegistryTree, SurvivesDeeplyNestedKeys) {
  constexpr int kDepth = 2000;
  std::string xml;
  for (int i = 0; i < kDepth; ++i) xml += "<Key Name=\"k\">";
  xml += "<Value Name=\"Deep\" Action=\"Add REG_SZ bottom\" />";
  for (int i = 0; i < kDepth; ++i) xml += "</Key>";
  RegistryTree tree;
  ASSERT_TRUE(ReadBack(tree, text::FromUtf8(xml)));
  EXPECT_EQ(tree.NodeCount(), static_cast<size_t>(kDepth) + 1);

  const TreeNode* node = tree.FindChild(nullptr, u"k");
  for (int i = 1; i < kDepth && node != nullptr; ++i) node = tree.FindChild(node, u"k");
  ASSERT_NE(node, nullptr);
  const TreeNode* deep = tree.FindChild(node, u"Deep");
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(OperationOf(*deep).valueData, u"bottom");

  // Written and read again, the chain keeps its full depth.
  RegistryTree again;
  ASSERT_TRUE(ReadBack(again, WriteList(tree)));
  EXPECT_EQ(again.NodeCount(), tree.NodeCount());
}

TEST(RegistryTree, KeyWithoutUsableNameIsSkippedWithItsContents) {
  RegistryTree tree;
  ASSERT_TRUE(ReadBack(tree, u"\t\t<Key name=\"lower\"><Value Name=\"a\" Action=\"Add REG_SZ 1\" /></Key>\r\n"
                             u"\t\t<Key Name=\"\"><Value Name=\"b\" Action=\"Add REG_SZ 1\" /></Key>\r\n"
                             u"\t\t<Key Name=\"HKEY_USERS\"><Value Name=\"c\" Action=\"Add REG_SZ 1\" /></Key>\r\n"));
  EXPECT_EQ(tree.NodeCount(), 2u);
  EXPECT_NE(At(tree, u"HKEY_USERS\\c"), nullptr);
}

}  // namespace
}  // namespace tidewell
