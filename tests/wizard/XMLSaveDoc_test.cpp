// The intermediate file as bytes: golden document, escaping, code page 932,
// read-back and safe saving.

#include <gtest/gtest.h>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <filesystem>

#include "platform/codec.h"
#include "platform/registry.h"
#include "support/temp_dir.h"
#include "wizard/ComDataExp.h"
#include "wizard/IntermediateFile.h"
#include "wizard/XMLSaveDoc.h"
#include "wizard_test_util.h"

namespace {

constexpr Currency Yen = CurrencyScale;

// An export base with a product in its own registry file and Miruza.ini in
// a temporary data root.
struct ExportFixture {
    test_support::TempDir dir;
    platform::Registry registry {dir.file("registry.ini")};
    TExportSources sources;

    ExportFixture()
    {
        registry.writeString(
            platform::RegRoot::LocalMachine, "\\SOFTWARE\\BRIMTO\\ROZIVORADUZ13", "Product", "トルバン財務　ｽﾀﾝﾀﾞｰﾄﾞ");
        registry.writeString(platform::RegRoot::LocalMachine, "\\SOFTWARE\\BRIMTO\\ROZIVORADUZ13", "Version", "13.2.1");
        sources.AppDataDir = dir.file("appdata");
        sources.HomeDir = "brimto\\rozivoraduz";
        sources.AppRegKey = "\\SOFTWARE\\BRIMTO";
        sources.VarovRegKey = "ROZIVORADUZ";
        sources.Registry = &registry;
    }
};

class FixedFigures : public TComDataExport {
public:
    using TComDataExport::TComDataExport;
    TGaikyosyoFigures figures;
    void WriteData(TXmlSaveDoc& doc) override { WriteDataNode(doc, figures); }
};

TGaikyosyoFigures goldenFigures()
{
    TGaikyosyoFigures f;
    f.Main[0] = 1234567 * Yen;
    f.Main[1] = 999999; // 99.9999 yen: truncated to 99
    f.Main[2] = -5000; // -0.5 yen: truncates to 0, an empty element
    f.Main[3] = 300 * Yen;
    f.Main[7] = -800 * Yen;
    f.Main[10] = -999999; // -99.9999 yen: -99
    f.Main[22] = -12345 * Yen;
    f.Main[38] = 9000000000LL * Yen;
    f.MonthsUsed = 5;
    for (int m = 1; m <= 12; ++m) {
        f.MonthLabel[m - 1] = (m + 2) % 12 + 1; // April year: 4, 5, 6, ...
        for (int s = 1; s <= 8; ++s)
            f.Month[m - 1][s - 1] = (m * 1000 + s) * Yen; // months past 5 must still be empty
    }
    f.Month[1][2] = 0;
    f.Month[0][6] = -250 * Yen;
    return f;
}

std::string writeGolden(ExportFixture& fx, std::int32_t callerValue)
{
    FixedFigures exp("X", callerValue, "", callerValue != 0, fx.sources);
    exp.ClientName = "㈱A&B<商会>\"①～'髙";
    exp.FiscalStart = 45017; // 2023-04-01
    exp.FiscalEnd = 45382; // 2024-03-31
    exp.figures = goldenFigures();
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    exp.SetSystemNode(doc);
    exp.SetBasicNode(doc);
    exp.WriteData(doc);
    return doc.SaveToBytes();
}

// Text content of the first element with that name, as a reader sees it.
std::string readElement(const std::string& bytes, const char* name)
{
    platform::xml::registerShiftJisAlias();
    xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "mem.xml", nullptr, XML_PARSE_NONET);
    if (doc == nullptr)
        return "<unparsable>";
    std::string result = "<missing>";
    std::function<bool(xmlNodePtr)> walk = [&](xmlNodePtr n) {
        for (; n != nullptr; n = n->next) {
            if (n->type == XML_ELEMENT_NODE && xmlStrcmp(n->name, BAD_CAST name) == 0) {
                xmlChar* c = xmlNodeGetContent(n);
                result = c != nullptr ? reinterpret_cast<const char*>(c) : "";
                xmlFree(c);
                return true;
            }
            if (walk(n->children))
                return true;
        }
        return false;
    };
    walk(xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
    return result;
}

} // namespace

TEST(IntermediateFile, WholeDocumentEqualsTheGoldenFileByteForByte)
{
    ExportFixture fx;
    const std::string bytes = writeGolden(fx, 0);
    const std::string golden = wizard_test::readBytes(wizard_test::testDataFile("golden/gaikyosyo_full.xml"));
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(bytes, golden);
}

TEST(IntermediateFile, ReadsBackWithTheOnceEscapedClientNameAndTheValues)
{
    ExportFixture fx;
    const std::string bytes = writeGolden(fx, 0);
    EXPECT_EQ(readElement(bytes, "KOMONSAKINAME"), "㈱A&amp;B&lt;商会&gt;&quot;①～&apos;髙");
    EXPECT_EQ(readElement(bytes, "PROGRAMNAME"), "トルバン財務　ｽﾀﾝﾀﾞｰﾄﾞ");
    EXPECT_EQ(readElement(bytes, "ZEIBIKIMAETOUKISONEKI"), "-12345");
    EXPECT_EQ(readElement(bytes, "URIAGE_SYUUNYUUGENKA"), "");
    EXPECT_EQ(readElement(bytes, "TUKIBETU_05"), "8");
    EXPECT_EQ(readElement(bytes, "TUKIBETU_06"), "");
    EXPECT_EQ(readElement(bytes, "YOBI1_05"), "5008");
    EXPECT_EQ(readElement(bytes, "YOBI1_06"), "");
    EXPECT_EQ(readElement(bytes, "JIGYOUNENDOTO"), "20240331");
}

TEST(IntermediateFile, FunctionIdIsTheCallersValueWhenGiven)
{
    ExportFixture fx;
    EXPECT_EQ(readElement(writeGolden(fx, 5), "FUNCTIONID"), "5");
    EXPECT_EQ(readElement(writeGolden(fx, 0), "FUNCTIONID"), "2");
}

TEST(IntermediateFile, CodePage932BytesUnderAShiftJisDeclaration)
{
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    auto root = doc.CreateRoot("R", "");
    doc.AddTextNode(root, "T", "ｱｲ㈱～①髙");
    const std::string bytes = doc.SaveToBytes();
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", 0), 0u);
    // Half-width katakana B1 B2, ㈱ 878A, ～ 8160, ① 8740, 髙 FBFC: real bytes, no character references.
    EXPECT_NE(bytes.find("<T>\xB1\xB2\x87\x8A\x81\x60\x87\x40\xFB\xFC</T>"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find("&#"), std::string::npos);
}

TEST(IntermediateFile, TextCodePage932CannotHoldIsRefusedAtOnce)
{
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    auto root = doc.CreateRoot("R", "");
    EXPECT_THROW(doc.AddTextNode(root, "T", "café"), platform::xml::XmlError);
}

TEST(XmlSaveDoc, EscapeTextReplacesTheFiveCharacters)
{
    struct Case {
        const char* in;
        const char* escaped;
        const char* inFile;
    } cases[] = {
        {"A&B", "A&amp;B", "A&amp;amp;B"},
        {"a<b", "a&lt;b", "a&amp;lt;b"},
        {"a>b", "a&gt;b", "a&amp;gt;b"},
        {"\"q\"", "&quot;q&quot;", "&amp;quot;q&amp;quot;"},
        {"it's", "it&apos;s", "it&amp;apos;s"},
        {"&amp;", "&amp;amp;", "&amp;amp;amp;"},
        {"plain", "plain", "plain"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TXmlSaveDoc::EscapeText(c.in), c.escaped) << c.in;
        TXmlSaveDoc doc("1.0", "Shift_JIS", "");
        auto root = doc.CreateRoot("R", "");
        doc.AddTextNode(root, "T", c.in);
        EXPECT_NE(doc.SaveToBytes().find(std::string("<T>") + c.inFile + "</T>"), std::string::npos) << c.in;
        EXPECT_EQ(readElement(doc.SaveToBytes(), "T"), c.escaped) << c.in;
    }
}

TEST(XmlSaveDoc, AttributesAndNodesWithoutParent)
{
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    auto root = doc.CreateRoot("R", "");
    doc.AddNode({}, "N", "a", "x&y"); // no parent: under the document element
    doc.AddTextNode(root, "T", "", "b", "1");
    EXPECT_EQ(doc.SaveToBytes(),
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<R><N a=\"x&amp;amp;y\"/><T b=\"1\"/></R>\n");
    EXPECT_THROW(doc.AddTextNode({}, "T", "x"), platform::xml::XmlError);
    EXPECT_THROW(doc.AddNode(root, "1bad"), platform::xml::XmlError);
    EXPECT_THROW(doc.CreateRoot("Again", ""), platform::xml::XmlError);
}

TEST(XmlSaveDoc, ControlCharactersNoParserAcceptsAreRefusedWithTheElementNamed)
{
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    auto root = doc.CreateRoot("REPORT", "");
    try {
        doc.AddTextNode(root, "PROGRAMNAME", std::string("a\x1b[b"));
        ADD_FAILURE() << "a control character was accepted";
    } catch (const platform::xml::XmlError& e) {
        EXPECT_NE(std::string(e.what()).find("PROGRAMNAME"), std::string::npos) << e.what();
    }
    EXPECT_NO_THROW(doc.AddTextNode(root, "OK", "tab\tand\nline"));
}

TEST(XmlSaveDoc, StandaloneOnlyWhenGiven)
{
    TXmlSaveDoc doc("1.0", "Shift_JIS", "yes");
    doc.CreateRoot("R", "");
    EXPECT_EQ(doc.SaveToBytes().rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\" standalone=\"yes\"?>", 0), 0u);
}

TEST(XmlSaveDoc, SaveReplacesAnExistingFileAndLeavesNoTemporaryFile)
{
    test_support::TempDir dir;
    const std::string target = dir.write("out.xml", "old content");
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    doc.AddTextNode(doc.CreateRoot("R", ""), "T", "新");
    doc.SaveToFile(target);
    EXPECT_EQ(wizard_test::readBytes(target), doc.SaveToBytes());
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(XmlSaveDoc, SaveIntoAMissingFolderFailsAndWritesNothing)
{
    test_support::TempDir dir;
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    doc.CreateRoot("R", "");
    EXPECT_THROW(doc.SaveToFile(dir.file("missing/out.xml")), platform::xml::XmlError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(XmlSaveDoc, SaveOverAFolderFailsAndKeepsIt)
{
    test_support::TempDir dir;
    const std::string target = dir.makeDir("out.xml");
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    doc.CreateRoot("R", "");
    EXPECT_THROW(doc.SaveToFile(target), platform::xml::XmlError);
    EXPECT_TRUE(std::filesystem::is_directory(target));
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(IntermediateFile, TextForms)
{
    EXPECT_EQ(AmountText(0), "");
    EXPECT_EQ(AmountText(9999), "");
    EXPECT_EQ(AmountText(-9999), "");
    EXPECT_EQ(AmountText(-12345 * Yen), "-12345");
    EXPECT_EQ(AmountText(1234567 * Yen + 5000), "1234567");
    EXPECT_EQ(AmountText(-1234567 * Yen - 5000), "-1234567");
    EXPECT_EQ(DateText(45017), "20230401");
    EXPECT_EQ(DateText(45382.75), "20240331");
    EXPECT_EQ(DateText(2), "19000101");
    EXPECT_EQ(MonthElementName(0, 1), "TUKIBETU_01");
    EXPECT_EQ(MonthElementName(9, 12), "YOBI2_12");
    EXPECT_THROW(DateText(1e9), std::out_of_range);
}

TEST(IntermediateFile, MonthBlockIsMonthMajorWithTenStems)
{
    TXmlSaveDoc doc("1.0", "UTF-8", "");
    doc.CreateRoot("REPORT", "");
    TGaikyosyoFigures f;
    f.MonthsUsed = 12;
    for (int m = 0; m < 12; ++m)
        f.MonthLabel[m] = m + 1;
    WriteDataNode(doc, f);
    const std::string bytes = doc.SaveToBytes();
    const std::size_t from = bytes.find("<TUKIBETUURIAGEDAKA>") + 20;
    const std::string block = bytes.substr(from, bytes.find("</TUKIBETUURIAGEDAKA>") - from);
    std::vector<std::string> names;
    for (std::size_t pos = block.find('<'); pos != std::string::npos; pos = block.find('<', pos + 1)) {
        if (block[pos + 1] == '/')
            continue;
        names.push_back(block.substr(pos + 1, block.find_first_of("/>", pos) - pos - 1));
    }
    ASSERT_EQ(names.size(), 120u);
    EXPECT_EQ(names[0], "TUKIBETU_01");
    EXPECT_EQ(names[1], "URIAGESYUUNYUUKINGAKU1_01");
    EXPECT_EQ(names[9], "YOBI2_01");
    EXPECT_EQ(names[10], "TUKIBETU_02");
    EXPECT_EQ(names[119], "YOBI2_12");
    // Every YOBI2 is empty even in a used month; labels are written.
    EXPECT_NE(bytes.find("<YOBI2_03/>"), std::string::npos);
    EXPECT_NE(bytes.find("<TUKIBETU_03>3</TUKIBETU_03>"), std::string::npos);
}
