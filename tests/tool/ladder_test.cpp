// Ladders drawn from ladders made here: for the terminal (box drawing and
// ASCII, at any width), as SVG, and the text measures behind them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ladder/ladder.h"
#include "ladder/ladder_html.h"
#include "ladder/ladder_svg.h"
#include "ladder/ladder_text.h"
#include "ladder/text_columns.h"
#include "run/terminal_width.h"

using namespace paketlog::tool;

namespace {

LadderArrow arrow(std::size_t from, std::size_t to, const std::string& label,
                  ArrowDirection direction = ArrowDirection::In) {
    LadderArrow a;
    a.time = "09:30:00.000000";
    a.from = from;
    a.to = to;
    a.label = label;
    a.line = "<< " + label + " (whole line)";
    a.direction = direction;
    a.seance = 1042;
    return a;
}

// The switch on the left, a console on the right: a number dialled in, the answer out.
Ladder two_endpoints() {
    Ladder ladder;
    ladder.seance = 1042;
    ladder.endpoints = {{"192.0.2.10.7700", ""}, {"192.0.2.20.40000", ""}};
    ladder.arrows = {arrow(0, 1, "DIALNUMBER 2015"), arrow(1, 0, "CONTROL ESTABLISHED", ArrowDirection::Out)};
    return ladder;
}

std::vector<std::string> rows(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    return out;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(TextColumns, CyrillicLetterTakesOneColumn) { EXPECT_EQ(text_columns("Пульт 1"), 7u); }

TEST(TextColumns, TextThatFitsStaysWhole) { EXPECT_EQ(cut_text("Пульт", 5, "…", 1), "Пульт"); }

TEST(TextColumns, TextOneColumnTooLongIsCutWithEllipsis) { EXPECT_EQ(cut_text("Пульт", 4, "…", 1), "Пул…"); }

TEST(TextColumns, BlankBeforeEllipsisDropped) { EXPECT_EQ(cut_text("CONTROL ESTABLISHED", 11, "...", 3), "CONTROL..."); }

TEST(TextColumns, RoomBelowTheEllipsisTakesPartOfIt) { EXPECT_EQ(cut_text("DIALNUMBER", 2, "...", 3), ".."); }

TEST(TextColumns, CyrillicIsSpeltInLatinLetters) { EXPECT_EQ(ascii_text("Щукин Ёж"), "Shchukin Yozh"); }

TEST(TextColumns, EllipsisAndDashFoldToAscii) { EXPECT_EQ(ascii_text("a…b–c"), "a...b-c"); }

TEST(TextColumns, CharacterWithoutLookAlikeIsQuestionMark) { EXPECT_EQ(ascii_text("a\u4E2Db"), "a?b"); }

TEST(TextColumns, BrokenSequenceIsOneCharacter) { EXPECT_EQ(ascii_text("a\xD0" "b"), "a?b"); }

TEST(LadderText, NoArrowsNoDrawing) {
    Ladder ladder = two_endpoints();
    ladder.arrows.clear();
    EXPECT_EQ(ladder_text(ladder, LadderTextStyle{}), "");
}

TEST(LadderText, HeadingsCentredOnLifelines) {
    const std::vector<std::string> r = rows(ladder_text(two_endpoints(), LadderTextStyle{60, true}));
    // Time 15 columns and a gap of 2; headings of 16 columns, half of one on
    // each side of the lifelines, 27 columns apart: at 25 and 52.
    EXPECT_EQ(r.at(0), "                  192.0.2.10.7700           192.0.2.20.40000");
    EXPECT_EQ(r.at(1), "                         +                          +");
}

TEST(LadderText, ArrowToTheRightEndsInHeadAtReceiver) {
    const std::vector<std::string> r = rows(ladder_text(two_endpoints(), LadderTextStyle{60, true}));
    EXPECT_EQ(r.at(2), "09:30:00.000000          |- DIALNUMBER 2015 ------->|");
}

TEST(LadderText, ArrowToTheLeftEndsInHeadAtReceiver) {
    const std::vector<std::string> r = rows(ladder_text(two_endpoints(), LadderTextStyle{60, true}));
    EXPECT_EQ(r.at(3), "09:30:00.000000          |<--- CONTROL ESTABLISHED -|");
}

TEST(LadderText, BoxDrawingByDefault) {
    const std::vector<std::string> r = rows(ladder_text(two_endpoints(), LadderTextStyle{60, false}));
    EXPECT_EQ(r.at(2), "09:30:00.000000          │─ DIALNUMBER 2015 ───────▶│");
}

TEST(LadderText, LabelCutWithEllipsisWhenItDoesNotFit) {
    const std::vector<std::string> r = rows(ladder_text(two_endpoints(), LadderTextStyle{50, false}));
    // Lifelines 17 apart: 16 cells between them, 11 of them for the label.
    EXPECT_EQ(r.at(3), "09:30:00.000000          │◀─ CONTROL ES… ─│");
}

TEST(LadderText, AsciiCutUsesThreeDots) {
    const std::vector<std::string> r = rows(ladder_text(two_endpoints(), LadderTextStyle{50, true}));
    EXPECT_EQ(r.at(3), "09:30:00.000000          |<-- CONTROL... -|");
}

TEST(LadderText, EveryRowFitsTheWidth) {
    for (std::size_t width : {50u, 80u, 132u}) {
        for (const std::string& row : rows(ladder_text(two_endpoints(), LadderTextStyle{width, false})))
            EXPECT_LE(text_columns(row), width) << width << ": " << row;
    }
}

TEST(LadderText, TooNarrowKeepsTheSmallestColumn) {
    const std::vector<std::string> r = rows(ladder_text(two_endpoints(), LadderTextStyle{20, true}));
    // Headings cut to one column, lifelines the least apart.
    EXPECT_EQ(r.at(2).size(), 17 + 1 + kLadderMinColumn);
}

TEST(LadderText, AsciiDrawingIsAscii) {
    Ladder ladder = two_endpoints();
    ladder.endpoints[1].name = "Пульт…";
    for (const std::string& row : rows(ladder_text(ladder, LadderTextStyle{80, true})))
        for (const char c : row) EXPECT_EQ(static_cast<unsigned char>(c) & 0x80, 0) << row;
}

TEST(LadderText, NamesRowOnlyWhenAnEndpointHasOne) {
    Ladder ladder = two_endpoints();
    EXPECT_EQ(rows(ladder_text(ladder, LadderTextStyle{60, true})).size(), 4u);
    ladder.endpoints[1].name = "Пульт 1";
    const std::vector<std::string> r = rows(ladder_text(ladder, LadderTextStyle{60, true}));
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r.at(1), "                                                 Pult 1");
}

TEST(LadderText, ArrowPassingALifelineCrossesIt) {
    Ladder ladder = two_endpoints();
    ladder.endpoints.push_back({"192.0.2.30.40001", ""});
    ladder.arrows = {arrow(0, 2, "MOVE_CALL 1043")};
    const std::vector<std::string> r = rows(ladder_text(ladder, LadderTextStyle{71, true}));
    // Lifelines 19 apart: at 25, 44 and 63.
    EXPECT_EQ(r.at(2), "09:30:00.000000          |- MOVE_CALL 1043 -+----------------->|");
}

TEST(LadderText, NoTimeNoTimeColumn) {
    Ladder ladder = two_endpoints();
    for (LadderArrow& a : ladder.arrows) a.time.clear();
    const std::vector<std::string> r = rows(ladder_text(ladder, LadderTextStyle{42, true}));
    EXPECT_EQ(r.at(2), "        |- DIALNUMBER 2015 ------>|");
}

TEST(XmlText, MarkupCharactersEscaped) { EXPECT_EQ(xml_text("<a & \"b\" 'c'>"), "&lt;a &amp; &quot;b&quot; &apos;c&apos;&gt;"); }

TEST(XmlText, ControlCharacterReplaced) { EXPECT_EQ(xml_text("a\x01" "b"), "a\uFFFD" "b"); }

TEST(XmlText, TabLineFeedAndCyrillicKept) { EXPECT_EQ(xml_text("a\tб\n"), "a\tб\n"); }

TEST(LadderSvg, OneMessageGroupPerArrow) {
    const std::string svg = ladder_svg(two_endpoints(), SvgForm::Document);
    EXPECT_EQ(count(svg, "<g class=\"message "), 2u);
}

TEST(LadderSvg, GroupClassGivesDirection) {
    const std::string svg = ladder_svg(two_endpoints(), SvgForm::Document);
    EXPECT_LT(svg.find("<g class=\"message in\""), svg.find("<g class=\"message out\""));
}

TEST(LadderSvg, TitleHoldsTheWholeLineEscaped) {
    const std::string svg = ladder_svg(two_endpoints(), SvgForm::Document);
    EXPECT_NE(svg.find("<title>&lt;&lt; DIALNUMBER 2015 (whole line)</title>"), std::string::npos);
}

TEST(LadderSvg, DocumentOpensWithXmlDeclaration) {
    EXPECT_EQ(ladder_svg(two_endpoints(), SvgForm::Document).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
}

TEST(LadderSvg, InlineFormOpensWithSvgElement) {
    EXPECT_EQ(ladder_svg(two_endpoints(), SvgForm::Inline).rfind("<svg ", 0), 0u);
}

TEST(LadderSvg, HeadPointsAtReceiver) {
    // After a time of 15 characters (146 px), half a heading of 16 characters
    // (72 px), lifelines 192 px apart (a label of 19 characters and its
    // room): at 218 and 410, rows at 50 and 74.
    const std::string svg = ladder_svg(two_endpoints(), SvgForm::Document);
    EXPECT_NE(svg.find("<polygon points=\"410,50 402,46 402,54\"/>"), std::string::npos) << svg;
    EXPECT_NE(svg.find("<polygon points=\"218,74 226,70 226,78\"/>"), std::string::npos) << svg;
}

TEST(JsonInScript, MarkupCharactersAsEscapes) {
    EXPECT_EQ(json_in_script("{\"name\":\"</script>&\"}"), "{\"name\":\"\\u003c/script\\u003e\\u0026\"}");
}

namespace {

// A page whose call and ladder carry a name that tries to end the script.
CallsPage hostile_page() {
    CallsPage page;
    page.title = "calls of <b>x</b>.pcap";
    page.calls_json = "{\"seance\":1042,\"calling\":\"</script><script>alert(1)</script>\"}\n{\"seance\":1043}\n";
    Ladder ladder = two_endpoints();
    ladder.endpoints[1].name = "</template><script>alert(2)</script>";
    page.ladders.push_back({{1042, 1043}, ladder});
    return page;
}

}  // namespace

TEST(CallsPageHtml, PacketTextEndsNoElement) {
    // The page's own two scripts and one template, and no more.
    const std::string html = calls_page_html(hostile_page());
    EXPECT_EQ(count(html, "</script>"), 2u);
    EXPECT_EQ(count(html, "</template>"), 1u);
}

TEST(CallsPageHtml, CallsBecomeOneJsonArray) {
    const std::string html = calls_page_html(hostile_page());
    EXPECT_NE(html.find("\">[{\"seance\":1042,"), std::string::npos);
    EXPECT_NE(html.find("},\n{\"seance\":1043}]</script>"), std::string::npos);
}

TEST(CallsPageHtml, LadderFoundByEachOfItsSeances) {
    EXPECT_NE(calls_page_html(hostile_page()).find("<template data-seances=\"1042 1043\"><svg "), std::string::npos);
}

TEST(CallsPageHtml, TitleEscaped) {
    EXPECT_NE(calls_page_html(hostile_page()).find("<title>calls of &lt;b&gt;x&lt;/b&gt;.pcap</title>"), std::string::npos);
}

TEST(CallsPageHtml, LoadsNothingFromElsewhere) {
    const std::string html = calls_page_html(hostile_page());
    EXPECT_NE(html.find("content=\"default-src 'none';"), std::string::npos);
    EXPECT_EQ(html.find(" src="), std::string::npos);
    EXPECT_EQ(count(html, "href="), 1u);  // the empty icon, a data: address
    EXPECT_NE(html.find("href=\"data:,\""), std::string::npos);
}

// fd -1: no terminal to ask.
TEST(TerminalWidth, GivenWidthWins) { EXPECT_EQ(terminal_width(100, "72", -1), 100u); }

TEST(TerminalWidth, ColumnsVariableWithoutWidth) { EXPECT_EQ(terminal_width(0, "72", -1), 72u); }

TEST(TerminalWidth, ColumnsNotANumberPassedOver) { EXPECT_EQ(terminal_width(0, "72x", -1), kDefaultWidth); }

TEST(TerminalWidth, ColumnsPast1000PassedOver) { EXPECT_EQ(terminal_width(0, "1001", -1), kDefaultWidth); }

TEST(TerminalWidth, NothingToAskGivesDefault) { EXPECT_EQ(terminal_width(0, nullptr, -1), kDefaultWidth); }
