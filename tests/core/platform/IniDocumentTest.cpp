#include "core/platform/IniDocument.h"

#include <gtest/gtest.h>

namespace orlo {
namespace {

using namespace std::string_literals;

TEST(IniDocumentTest, LooksUpNamesWithoutRegardToCaseAndSurroundingWhitespace) {
    const auto document = IniDocument::Parse("[Application]\r\n"
                                             "  PortNo  =  9700  \r\n"
                                             "ComNo=3\r\n"
                                             "[ Other ]\r\n"
                                             "ComNo=4\r\n");
    EXPECT_EQ(document.Get("application", "portno"), "9700");
    EXPECT_EQ(document.Get("APPLICATION", "COMNO"), "3");
    EXPECT_EQ(document.Get("other", "comno"), "4");
    EXPECT_EQ(document.Get("Application", "Missing"), std::nullopt);
    EXPECT_EQ(document.Get("Missing", "ComNo"), std::nullopt);
}

TEST(IniDocumentTest, LineNumberNamesTheLineGetReads) {
    const auto document = IniDocument::Parse("; backup\n"
                                             "[Camera]\r\n"
                                             "Camera=1\r\n"
                                             "\n"
                                             "[camera]\n"
                                             "Mode=2\n"
                                             "[Ditection]\n"
                                             "Threshold=5\n"
                                             "threshold=6");
    EXPECT_EQ(3u, document.LineNumber("CAMERA", "Camera"));
    EXPECT_EQ(std::nullopt, document.LineNumber("Camera", "Mode")); // the first section counts
    EXPECT_EQ(8u, document.LineNumber("Ditection", "Threshold"));
    EXPECT_EQ(std::nullopt, document.LineNumber("Other", "Threshold"));
}

TEST(IniDocumentTest, FirstSectionAndFirstKeyWin) {
    const auto document = IniDocument::Parse("[A]\nk=1\nK=2\n[B]\nk=3\n[a]\nk=4\nonly=5\n");
    EXPECT_EQ(document.Get("a", "k"), "1");
    EXPECT_EQ(document.Get("A", "only"), std::nullopt);
}

TEST(IniDocumentTest, SplitsAtTheFirstEqualsSignAndSkipsCommentsAndStrayLines) {
    const auto document = IniDocument::Parse("key=outside\n"
                                             "[S]\n"
                                             "; k=comment\n"
                                             "# h=hash\n"
                                             "no equals sign\n"
                                             "=nameless\n"
                                             "url=a=b=c\n"
                                             "empty=\n");
    EXPECT_EQ(document.Get("S", "url"), "a=b=c");
    EXPECT_EQ(document.Get("S", "empty"), "");
    EXPECT_EQ(document.Get("S", "; k"), std::nullopt);
    EXPECT_EQ(document.Get("S", "k"), std::nullopt);
    EXPECT_EQ(document.Get("S", "h"), std::nullopt);
    EXPECT_EQ(document.Get("S", ""), std::nullopt);
    EXPECT_EQ(document.Get("S", "key"), std::nullopt);
}

TEST(IniDocumentTest, SectionNameMayEndInCp932CharacterWhoseSecondByteIsBracket) {
    const std::string name = "\x83\x5D"; // second byte is ']'
    const auto document = IniDocument::Parse("[" + name + "]\r\nk=v\r\n");
    EXPECT_EQ(document.Get(name, "k"), "v");
}

TEST(IniDocumentTest, ParseAndSerializeKeepEveryByte) {
    const std::string texts[] = {
        "",
        "\n",
        "[A]\r\nk=v\r\n; comment\r\n\r\ngarbage line\r\n",
        "[A]\nk=v\n# comment\n\n",
        "mixed\r\nendings\nno final newline",
        "binary\0\x01\xff[=]\r\r\n\x83\x5D"s,
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(IniDocument::Parse(text).Serialize(), text);
    }
}

TEST(IniDocumentTest, SetReplacesValueInPlaceKeepingEverythingElse) {
    auto document = IniDocument::Parse("; preferences\r\n"
                                       "[Application]\r\n"
                                       "  portNO = 9600\r\n"
                                       "ComNo=3\r\n"
                                       "\r\n"
                                       "[Other]\r\n"
                                       "PortNo=1\r\n");
    ASSERT_TRUE(document.Set("APPLICATION", "PortNo", "10001"));
    EXPECT_EQ(document.Serialize(), "; preferences\r\n"
                                    "[Application]\r\n"
                                    "  portNO = 10001\r\n"
                                    "ComNo=3\r\n"
                                    "\r\n"
                                    "[Other]\r\n"
                                    "PortNo=1\r\n");
}

TEST(IniDocumentTest, SetFillsAnEmptyValue) {
    auto document = IniDocument::Parse("[S]\nk=   \n");
    ASSERT_TRUE(document.Set("S", "k", "7"));
    EXPECT_EQ(document.Serialize(), "[S]\nk=7\n");
}

TEST(IniDocumentTest, SetAddsKeyAfterTheSectionsLastEntry) {
    auto document = IniDocument::Parse("[A]\n"
                                       "x=1\n"
                                       "\n"
                                       "; about B\n"
                                       "[B]\n"
                                       "y=2\n");
    ASSERT_TRUE(document.Set("a", "New", "5"));
    ASSERT_TRUE(document.Set("B", "z", "3"));
    EXPECT_EQ(document.Serialize(), "[A]\n"
                                    "x=1\n"
                                    "New=5\n"
                                    "\n"
                                    "; about B\n"
                                    "[B]\n"
                                    "y=2\n"
                                    "z=3\n");
    EXPECT_EQ(document.Get("A", "new"), "5");
}

TEST(IniDocumentTest, SetAddsKeyToSectionWithoutEntries) {
    auto document = IniDocument::Parse("[A]\n\n[B]\n");
    ASSERT_TRUE(document.Set("A", "k", "v"));
    EXPECT_EQ(document.Serialize(), "[A]\nk=v\n\n[B]\n");
}

TEST(IniDocumentTest, SetAppendsMissingSectionInTheFilesLineEnding) {
    auto lf = IniDocument::Parse("[A]\nx=1\n");
    ASSERT_TRUE(lf.Set("B", "k", "v"));
    EXPECT_EQ(lf.Serialize(), "[A]\nx=1\n[B]\nk=v\n");

    auto crlf = IniDocument::Parse("[A]\r\nx=1\r\n");
    ASSERT_TRUE(crlf.Set("B", "k", "v"));
    EXPECT_EQ(crlf.Serialize(), "[A]\r\nx=1\r\n[B]\r\nk=v\r\n");

    IniDocument fresh;
    ASSERT_TRUE(fresh.Set("Application", "ComNo", "3"));
    EXPECT_EQ(fresh.Serialize(), "[Application]\r\nComNo=3\r\n");
}

TEST(IniDocumentTest, SetKeepsAMissingFinalLineBreakMissing) {
    auto document = IniDocument::Parse("[A]\nx=1");
    ASSERT_TRUE(document.Set("A", "y", "2"));
    ASSERT_TRUE(document.Set("B", "z", "3"));
    EXPECT_EQ(document.Serialize(), "[A]\nx=1\ny=2\n[B]\nz=3");
}

TEST(IniDocumentTest, SetRefusesWhatWouldNotReadBackAndChangesNothing) {
    const std::string text = "[A]\r\nx=1\r\n";
    auto document = IniDocument::Parse(text);
    EXPECT_FALSE(document.Set("A", "x", "1\r\n[Injected]\r\ny=2"));
    EXPECT_FALSE(document.Set("A\n[B]", "x", "1"));
    EXPECT_FALSE(document.Set("A", "x\ny", "1"));
    EXPECT_FALSE(document.Set("A", "a=b", "1"));
    EXPECT_FALSE(document.Set("A", "  ", "1"));
    EXPECT_FALSE(document.Set("A", ";x", "1"));
    EXPECT_FALSE(document.Set("A", "[x]", "1"));
    EXPECT_EQ(document.Serialize(), text);
}

TEST(IniDocumentTest, QuotedValuesReadWithoutTheirQuotesAndSetQuotesWhatWouldNotReadBack) {
    auto document = IniDocument::Parse("[A]\nd=\"500\"\ns='1000'\nmixed=\"x'\none=\"\nin=a\"b\"c\n");
    EXPECT_EQ(document.Get("A", "d"), "500");
    EXPECT_EQ(document.Get("A", "s"), "1000");
    EXPECT_EQ(document.Get("A", "mixed"), "\"x'");
    EXPECT_EQ(document.Get("A", "one"), "\"");
    EXPECT_EQ(document.Get("A", "in"), "a\"b\"c");
    EXPECT_EQ(document.Keys("A").front(), (std::pair<std::string, std::string>{"d", "500"}));

    for (const std::string value : {" lead", "trail\t", " ", "\"q\"", "'s'", "plain", ""}) {
        ASSERT_TRUE(document.Set("A", "v", value)) << value;
        EXPECT_EQ(document.Get("A", "v"), value);
        EXPECT_EQ(IniDocument::Parse(document.Serialize()).Get("A", "v"), value);
    }
    ASSERT_TRUE(document.Set("A", "v", " x "));
    EXPECT_NE(document.Serialize().find("v=\" x \"\n"), std::string::npos);
}

TEST(IniDocumentTest, ListsSectionsAndKeysInFileOrderEachOnce) {
    const auto document = IniDocument::Parse("[Zeta]\nb=2\na=1\nB=3\n[alpha]\n[ZETA]\nc=4\n");
    EXPECT_EQ(document.Sections(), (std::vector<std::string>{"Zeta", "alpha"}));
    EXPECT_EQ(document.Keys("zeta"),
              (std::vector<std::pair<std::string, std::string>>{{"b", "2"}, {"a", "1"}}));
    EXPECT_TRUE(document.Keys("alpha").empty());
    EXPECT_TRUE(document.Keys("missing").empty());
}

} // namespace
} // namespace orlo
