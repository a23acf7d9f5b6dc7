// The settings file format on its own: decoding stored values, finding the
// entry that counts, and rewriting one entry while every other byte stays.
#include "store/ini_file_format.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

StoredValue::Kind KindOf(std::string_view raw) { return DecodeStoredValue(raw).kind; }
std::string TextOf(std::string_view raw) {
  const StoredValue value = DecodeStoredValue(raw);
  EXPECT_EQ(value.kind, StoredValue::Kind::kText) << raw;
  return value.text;
}

TEST(StoredValueDecoding, QuotedTextsTakeEveryEscape) {
  EXPECT_EQ(TextOf(R"("plain")"), "plain");
  EXPECT_EQ(TextOf(R"("a\\b\"c\rd\ne\tf")"), "a\\b\"c\rd\ne\tf");
  EXPECT_EQ(TextOf(R"("\x41\x7e\x7E\xff\xFF\x01")"), "A~~\xff\xff\x01");
  EXPECT_EQ(TextOf(R"("")"), "");
  EXPECT_EQ(TextOf(R"(  "  padded  "  )"), "  padded  ");
  EXPECT_EQ(TextOf("\"tab after\"\t"), "tab after");
  // Bytes the writer would escape are still read as they stand.
  EXPECT_EQ(TextOf("\"caf\xc3\xa9\""), "caf\xc3\xa9");
}

TEST(StoredValueDecoding, UnquotedTextsAreTrimmed) {
  EXPECT_EQ(TextOf("200"), "200");
  EXPECT_EQ(TextOf(" \t 200 \t"), "200");
  EXPECT_EQ(TextOf(""), "");
  EXPECT_EQ(TextOf("   "), "");
  EXPECT_EQ(TextOf(R"(a "b" \n)"), R"(a "b" \n)");
  EXPECT_EQ(TextOf("http://x/y"), "http://x/y");
}

TEST(StoredValueDecoding, TypePrefixes) {
  EXPECT_EQ(TextOf(R"(expand:"%TEMP%\\x")"), "%TEMP%\\x");
  EXPECT_EQ(KindOf("dword:0000000a"), StoredValue::Kind::kNotText);
  EXPECT_EQ(KindOf("  dword:ffffffff"), StoredValue::Kind::kNotText);
  EXPECT_EQ(KindOf("expand:unquoted"), StoredValue::Kind::kBadData);
}

TEST(StoredValueDecoding, BrokenQuotedValuesAreBadData) {
  for (const char* raw :
       {R"("no closing quote)", R"("ends in a backslash\)", R"("bad \q escape")", R"("short \x4")",
        R"("not hex \x4g")", R"("text" garbage)", R"("a""b")", R"(expand:"open)"}) {
    EXPECT_EQ(KindOf(raw), StoredValue::Kind::kBadData) << raw;
  }
}

// A comment may follow a quoted value; an unquoted value keeps reading as it
// stands, ';' and all.
TEST(StoredValueDecoding, CommentsAfterQuotedValues) {
  EXPECT_EQ(TextOf(R"("15"       ; palette index 0..15)"), "15");
  EXPECT_EQ(TextOf(R"("host:port" ; the "primary" source)"), "host:port");
  EXPECT_EQ(TextOf("\"1\"\t# flag"), "1");
  EXPECT_EQ(TextOf(R"("x";)"), "x");
  EXPECT_EQ(TextOf(R"(expand:"%TEMP%" ; raw)"), "%TEMP%");
  EXPECT_EQ(TextOf(R"("a ; b" ; c)"), "a ; b");
  EXPECT_EQ(TextOf(R"("\x41\x00tail" ; c)"), "A");
  EXPECT_EQ(TextOf("200 ; fast"), "200 ; fast");
  EXPECT_EQ(TextOf("; all of it"), "; all of it");
  EXPECT_EQ(KindOf("dword:0000000A ; ten"), StoredValue::Kind::kNotText);
  for (const char* raw : {R"("x" y ; c)", R"("x ; c)", R"("\q" ; c)", R"("x"" ; c)"}) {
    EXPECT_EQ(KindOf(raw), StoredValue::Kind::kBadData) << raw;
  }
}

TEST(StoredValueDecoding, TextEndsAtTheFirstNul) {
  EXPECT_EQ(TextOf(R"("abc\x00def")"), "abc");
  EXPECT_EQ(TextOf("\"abc\0def\""s), "abc");
  EXPECT_EQ(TextOf("abc\0def"s), "abc");
  // The whole value is still checked: a broken tail is not hidden by the NUL.
  EXPECT_EQ(KindOf(R"("abc\x00\q")"), StoredValue::Kind::kBadData);
}

TEST(StoredValueEncoding, WriterEmitsOnlyPrintableAscii) {
  EXPECT_EQ(EncodeStoredValue("Rain, 15 C"), R"("Rain, 15 C")");
  EXPECT_EQ(EncodeStoredValue("a\\b\"c"), R"("a\\b\"c")");
  EXPECT_EQ(EncodeStoredValue("\r\n\t"), R"("\r\n\t")");
  EXPECT_EQ(EncodeStoredValue("\x01\x1f\x7f\x80\xe9\xff"s), R"("\x01\x1F\x7F\x80\xE9\xFF")");
  EXPECT_EQ(EncodeStoredValue("nul\0in"s), R"("nul\x00in")");
  EXPECT_EQ(EncodeStoredValue(" ~"), R"(" ~")");
}

// A UTF-8 text reads in the file as it shows; anything else keeps its escapes.
TEST(StoredValueEncoding, Utf8TextsStandAsTheyAre) {
  const std::string day = "\xD0\xB2\xD1\x82\xD0\xBE\xD1\x80\xD0\xBD\xD0\xB8\xD0\xBA";  // вторник
  const std::string stamp = "Last Updated " + day + " \"1\"";
  EXPECT_EQ(EncodeStoredValue(stamp), "\"Last Updated " + day + " \\\"1\\\"\"");
  EXPECT_EQ(TextOf(EncodeStoredValue(stamp)), stamp);
  EXPECT_EQ(EncodeStoredValue("\xD0\xB2\xE9\n"), R"("\xD0\xB2\xE9\n")");
}

TEST(StoredValueEncoding, EveryByteDecodesBackToItself) {
  std::string all;
  for (int b = 1; b <= 255; ++b) all += static_cast<char>(b);
  EXPECT_EQ(TextOf(EncodeStoredValue(all)), all);
}

TEST(IniParsing, LinesSectionsAndNames) {
  const std::string file =
      "\xEF\xBB\xBF; comment\n"
      "orphan=above every section\n"
      "  [ Window ]  \r\n"
      "  Left = 200  \n"
      "# hidden=1\n"
      "; also=hidden\n"
      "garbage without equals\n"
      "[broken header\n"
      "a=b=c\n"
      "name with blanks =x\n"
      "[a]b]\n"
      "k=in a]b\n"
      "[x=y]\n"
      "=empty name\n"
      "last=no line end";
  const std::vector<IniEntry> entries = ParseIniEntries(file);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0].section, "Window");
  EXPECT_EQ(entries[0].name, "Left");
  EXPECT_EQ(entries[0].raw_value, " 200  ");
  EXPECT_EQ(entries[1].name, "a");
  EXPECT_EQ(entries[1].raw_value, "b=c");
  EXPECT_EQ(entries[2].name, "name with blanks");
  EXPECT_EQ(entries[3].section, "a]b");
  EXPECT_EQ(entries[4].section, "x=y");
  EXPECT_EQ(entries[4].name, "");
  EXPECT_EQ(entries[5].raw_value, "no line end");
}

TEST(IniParsing, ByteOrderMarkIsSkippedOnlyAtTheStart) {
  EXPECT_EQ(ParseIniEntries("\xEF\xBB\xBF[s]\nk=v\n").size(), 1u);
  EXPECT_EQ(ParseIniEntries("[s]\n\xEF\xBB\xBFk=v\n")[0].name, "\xEF\xBB\xBFk");
}

TEST(IniParsing, LineEndsAreLfOrCrLfAndALoneCrIsText) {
  EXPECT_EQ(*FindRawValue("[s]\r\nk=v\r\n", "s", "k"), "v");
  EXPECT_EQ(*FindRawValue("[s]\nk=v\r\r\n", "s", "k"), "v\r");
  EXPECT_FALSE(FindRawValue("[s]\rk=v\r", "s", "k"));  // one line: "[s]\rk=v\r"
}

TEST(IniParsing, HeadersMayCarryAComment) {
  const std::string file =
      "[window]   ; where the strip stands\n"
      "left=1\n"
      "[sources]\t# written by hand only\n"
      "primary=\"host\"\n"
      "[a]b];c\n"
      "k=1\n"
      "[not] a header ; x\n"
      "k=2\n"
      "[one] ; two ] ; three\n"
      "k=3\n";
  const std::vector<IniEntry> entries = ParseIniEntries(file);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].section, "window");
  EXPECT_EQ(entries[1].section, "sources");
  EXPECT_EQ(entries[2].section, "a]b");
  EXPECT_EQ(entries[3].section, "a]b");  // the garbage line changes nothing
  EXPECT_EQ(entries[3].raw_value, "2");
  EXPECT_EQ(entries[4].section, "one");
}

// A line that ends in ']' is read as it always was, ';' or not: that is how
// the writer makes a header for any storable name.
TEST(IniParsing, HeadersEndingInABracketReadAsBefore) {
  for (const char* name : {"a] ; b", "x ;y]", "[z] # c", "q]"}) {
    const std::vector<IniEntry> entries = ParseIniEntries(SetIniEntry("", name, "k", "v"));
    ASSERT_EQ(entries.size(), 1u) << name;
    EXPECT_EQ(entries[0].section, name);
  }
  EXPECT_EQ(ParseIniEntries("[a] ; note [b]\nk=v\n")[0].section, "a] ; note [b");
}

TEST(IniLookup, NamesMatchWithoutAsciiCaseAndTheFirstEntryCounts) {
  const std::string file =
      "[WINDOW]\nLeft=1\nleft=2\n[scroll]\nleft=3\n[window]\nleft=4\ntop=5\n[\xc9t\xe9]\nk=6\n";
  EXPECT_EQ(*FindRawValue(file, "window", "LEFT"), "1");
  EXPECT_EQ(*FindRawValue(file, "Window", "top"), "5");  // a section may come back later
  EXPECT_EQ(*FindRawValue(file, "scroll", "left"), "3");
  EXPECT_EQ(*FindRawValue(file, "\xc9t\xe9", "k"), "6");
  EXPECT_FALSE(FindRawValue(file, "\xe9t\xe9", "k"));  // only A-Z fold
  EXPECT_FALSE(FindRawValue(file, "window", "width"));
  EXPECT_FALSE(FindRawValue(file, "weather", "left"));
  EXPECT_FALSE(FindRawValue("left=1\n", "", "left"));  // above every section
}

TEST(IniRewrite, ChangesTheEntryThatCountsInPlace) {
  const std::string file = "; mine\n[Window]\n  Left =  200   \r\nleft=7\n[scroll]\nrate=1\n";
  EXPECT_EQ(SetIniEntry(file, "window", "left", "5"),
            "; mine\n[Window]\n  Left =  \"5\"\r\nleft=7\n[scroll]\nrate=1\n");
  EXPECT_EQ(SetIniEntry("[s]\nk=dword:00000001\n", "s", "k", "x"), "[s]\nk=\"x\"\n");
  EXPECT_EQ(SetIniEntry("[s]\nk=\"broken\n", "s", "k", ""), "[s]\nk=\"\"\n");
  EXPECT_EQ(SetIniEntry("[s]\nk=old", "s", "k", "new"), "[s]\nk=\"new\"");
}

TEST(IniRewrite, KeepsTheCommentAfterAQuotedValue) {
  EXPECT_EQ(SetIniEntry("[window]\nforeground=\"15\"       ; palette index\r\n", "window",
                        "foreground", "3"),
            "[window]\nforeground=\"3\"       ; palette index\r\n");
  EXPECT_EQ(SetIniEntry("[s]\nk=expand:\"%T%\"# raw", "s", "k", "a\"b"), "[s]\nk=\"a\\\"b\"# raw");
  // Without a quoted value there is no comment: the whole value is replaced.
  EXPECT_EQ(SetIniEntry("[s]\nrate=200 ; fast\n", "s", "rate", "100"), "[s]\nrate=\"100\"\n");
  EXPECT_EQ(SetIniEntry("[s]\nk=\"open ; c\n", "s", "k", "x"), "[s]\nk=\"x\"\n");
  EXPECT_EQ(SetIniEntry("[s]\nk=dword:1 ; c\n", "s", "k", "x"), "[s]\nk=\"x\"\n");
  // A new entry goes below a header that carries a comment.
  EXPECT_EQ(SetIniEntry("[a] ; empty\n", "a", "z", "3"), "[a] ; empty\nz=\"3\"\n");
}

TEST(IniRewrite, AppendsAtTheEndOfItsSection) {
  EXPECT_EQ(SetIniEntry("[a]\nx=1\n\n; about b\n[b]\ny=2\n", "A", "z", "3"),
            "[a]\nx=1\nz=\"3\"\n\n; about b\n[b]\ny=2\n");
  EXPECT_EQ(SetIniEntry("[a]\n; nothing yet\n", "a", "z", "3"), "[a]\nz=\"3\"\n; nothing yet\n");
  EXPECT_EQ(SetIniEntry("[a]\nx=1\njunk\n[b]\n", "a", "z", "3"), "[a]\nx=1\njunk\nz=\"3\"\n[b]\n");
  // Into the first of two sections of the same name.
  EXPECT_EQ(SetIniEntry("[a]\nx=1\n[b]\n[a]\ny=2\n", "a", "z", "3"),
            "[a]\nx=1\nz=\"3\"\n[b]\n[a]\ny=2\n");
}

TEST(IniRewrite, AddsAMissingSectionAtTheEnd) {
  EXPECT_EQ(SetIniEntry("", "window", "left", "10"), "[window]\nleft=\"10\"\n");
  EXPECT_EQ(SetIniEntry("[a]\nx=1\n", "b", "y", ""), "[a]\nx=1\n[b]\ny=\"\"\n");
  EXPECT_EQ(SetIniEntry("stray=1\n", "", "k", "v"), "stray=1\n[]\nk=\"v\"\n");
  EXPECT_EQ(SetIniEntry("[a]\n", "a]b", "k", "v"), "[a]\n[a]b]\nk=\"v\"\n");
}

TEST(IniRewrite, NeverGluesOntoALastLineWithoutLineEnd) {
  EXPECT_EQ(SetIniEntry("[a]\nx=1", "a", "y", "2"), "[a]\nx=1\ny=\"2\"\n");
  EXPECT_EQ(SetIniEntry("[a]", "a", "y", "2"), "[a]\ny=\"2\"\n");
  EXPECT_EQ(SetIniEntry("[a]\nx=1\n; tail", "b", "y", "2"), "[a]\nx=1\n; tail\n[b]\ny=\"2\"\n");
  EXPECT_EQ(SetIniEntry("[a]\r\nx=1", "a", "y", "2"), "[a]\r\nx=1\r\ny=\"2\"\r\n");
  // A lone CR at the very end stays part of its line.
  EXPECT_EQ(SetIniEntry("[a]\nx=1\r", "a", "y", "2"), "[a]\nx=1\r\r\ny=\"2\"\n");
  // ("[b]" + CR is a garbage line of [a], not a header, and must stay one.)
  EXPECT_EQ(SetIniEntry("[a]\n[b]\r", "a", "y", "2"), "[a]\n[b]\r\r\ny=\"2\"\n");
  EXPECT_EQ(SetIniEntry("[a]\n[b]\r", "b", "y", "2"), "[a]\n[b]\r\r\n[b]\ny=\"2\"\n");
}

TEST(IniRewrite, NewLinesFollowTheFilesLineEnds) {
  EXPECT_EQ(SetIniEntry("; hand made\r\n[a]\r\nx=1\r\n", "a", "y", "2"),
            "; hand made\r\n[a]\r\nx=1\r\ny=\"2\"\r\n");
  EXPECT_EQ(SetIniEntry("[a]\r\n", "b", "y", "2"), "[a]\r\n[b]\r\ny=\"2\"\r\n");
}

TEST(IniRewrite, StorableNamesReadBackAsThemselves) {
  for (const char* name : {"left", "last forecast", "", "a]b", "x\ry", "\xff"}) {
    EXPECT_TRUE(IsStorableEntryName(name)) << name;
    EXPECT_TRUE(IsStorableSectionName(name)) << name;
    const std::string file = SetIniEntry("", name, name, "v");
    const std::vector<IniEntry> entries = ParseIniEntries(file);
    ASSERT_EQ(entries.size(), 1u) << file;
    EXPECT_EQ(entries[0].section, name);
    EXPECT_EQ(entries[0].name, name);
  }
  for (const char* name : {"a=b", ";x", "#x", "[x", " x", "x\t", "a\nb"}) {
    EXPECT_FALSE(IsStorableEntryName(name)) << name;
  }
  for (const char* name : {" x", "x ", "a\nb"}) EXPECT_FALSE(IsStorableSectionName(name)) << name;
  EXPECT_TRUE(IsStorableSectionName("a=b"));
  EXPECT_TRUE(IsStorableSectionName(";x"));
}

}  // namespace
