// A call's record written as JSON, CSV and a table row.
#include "calls/call_render.h"

#include <gtest/gtest.h>

#include <string>

namespace paketlog {
namespace tool {
namespace {

CallTime at(std::int64_t seconds, std::uint32_t ns) {
    CallTime t;
    t.seconds = 1709285400 + seconds;
    t.nanoseconds = ns;
    t.timed = true;
    return t;
}

// An answered call released with a cause, with something of every kind.
Call answered() {
    Call c;
    c.seance = 1001;
    c.first = at(0, 100000);
    c.last = at(12, 260000000);
    c.packets = 11;
    c.in = 6;
    c.out = 5;
    c.endpoints = {"10.0.0.1.40000", "10.0.0.2.7700"};
    c.called = "2015";
    c.calling = "+74951234567";
    c.names = {{"ENDPOINT_A", "Диспетчер 1"}};
    c.events = {{at(2, 250000000), 3}, {at(12, 250000000), 131}};
    c.answered = true;
    c.answer = at(2, 250000000);
    c.released = true;
    c.release = at(12, 250000000);
    c.cause = {1, 2, 3, 16};
    c.continues = {1009};
    c.rtp = {"10.1.1.5:40000"};
    c.holds = 1;
    c.ptt = 2;
    return c;
}

std::string json(const Call& c, bool directed = false) {
    TextBuffer out;
    append_call_json(c, directed, out);
    return std::string(out.view());
}

std::string csv(const Call& c, bool directed = false) {
    TextBuffer out;
    append_call_csv(c, directed, out);
    return std::string(out.view());
}

TEST(CallJson, AnsweredCallWithEveryKey) {
    EXPECT_EQ(json(answered()),
              "{\"seance\":1001,\"first\":\"2024-03-01T09:30:00.000100Z\",\"last\":\"2024-03-01T09:30:12.260000Z\","
              "\"packets\":11,\"endpoints\":[\"10.0.0.1.40000\",\"10.0.0.2.7700\"],\"called\":\"2015\","
              "\"calling\":\"+74951234567\",\"digits\":\"\",\"names\":{\"ENDPOINT_A\":\"Диспетчер 1\"},"
              "\"events\":[{\"time\":\"2024-03-01T09:30:02.250000Z\",\"control\":\"toFB_CTRL_ESTABLISHED\",\"code\":3},"
              "{\"time\":\"2024-03-01T09:30:12.250000Z\",\"control\":\"frFB_CTRL_BYE\",\"code\":131}],"
              "\"outcome\":\"answered\",\"released\":true,\"cause\":{\"loc\":1,\"src\":2,\"code\":3,\"cause\":16},"
              "\"setup\":2.249900,\"talk\":10.000000,\"duration\":12.259900,\"continues\":[1009],"
              "\"continued_from\":[],\"rtp\":[\"10.1.1.5:40000\"],\"holds\":1,\"ptt\":2}\n");
}

TEST(CallJson, DirectionCountsWithASwitchPort) {
    EXPECT_NE(json(answered(), true).find("\"packets\":11,\"in\":6,\"out\":5,"), std::string::npos);
}

TEST(CallJson, NoDirectionCountsWithoutOne) {
    EXPECT_EQ(json(answered()).find("\"in\":"), std::string::npos);
}

TEST(CallJson, OpenCallHasNoCauseNorTalk) {
    Call c = answered();
    c.released = false;
    const std::string text = json(c);
    EXPECT_NE(text.find("\"released\":false,\"setup\":2.249900,\"duration\":12.259900,"), std::string::npos);
}

TEST(CallJson, UntimedPacketsGiveNumbersAndNoDurations) {
    Call c;
    c.seance = 7;
    c.first.seconds = 3;
    c.last.seconds = 9;
    c.answered = true;
    EXPECT_EQ(json(c),
              "{\"seance\":7,\"first\":3,\"last\":9,\"packets\":0,\"endpoints\":[],\"called\":\"\",\"calling\":\"\","
              "\"digits\":\"\",\"names\":{},\"events\":[],\"outcome\":\"answered\",\"released\":false,"
              "\"continues\":[],\"continued_from\":[],\"rtp\":[],\"holds\":0,\"ptt\":0}\n");
}

TEST(CallJson, NanosecondCaptureGivesNineDigits) {
    Call c = answered();
    c.first.digits = 9;
    EXPECT_NE(json(c).find("\"duration\":12.259900000"), std::string::npos);
}

TEST(CallJson, EvictedCallSaysSo) {
    Call c = answered();
    c.evicted = true;
    EXPECT_NE(json(c).find(",\"evicted\":true}"), std::string::npos);
}

TEST(CallJson, OmittedEventsAreCounted) {
    Call c = answered();
    c.events_omitted = 4;
    EXPECT_NE(json(c).find("],\"events_omitted\":4,\"outcome\""), std::string::npos);
}

TEST(CallJson, TextsAreEscaped) {
    Call c = answered();
    c.names = {{"NAME_CALL", "a\"b\\c"}};
    EXPECT_NE(json(c).find("\"NAME_CALL\":\"a\\\"b\\\\c\""), std::string::npos);
}

TEST(CallCsv, HeaderWithoutDirections) {
    TextBuffer out;
    append_call_csv_header(false, out);
    EXPECT_EQ(out.view(),
              "seance,first,last,packets,endpoints,called,calling,digits,names,events,outcome,released,loc,src,code,"
              "cause,setup,talk,duration,continues,continued_from,rtp,holds,ptt,evicted\r\n");
}

TEST(CallCsv, HeaderWithDirections) {
    TextBuffer out;
    append_call_csv_header(true, out);
    EXPECT_EQ(out.view().substr(0, 32), "seance,first,last,packets,in,out");
}

TEST(CallCsv, AnsweredCall) {
    EXPECT_EQ(csv(answered()),
              "1001,2024-03-01T09:30:00.000100Z,2024-03-01T09:30:12.260000Z,11,10.0.0.1.40000 10.0.0.2.7700,2015,"
              "+74951234567,,ENDPOINT_A=Диспетчер 1,toFB_CTRL_ESTABLISHED frFB_CTRL_BYE,answered,true,1,2,3,16,"
              "2.249900,10.000000,12.259900,1009,,10.1.1.5:40000,1,2,false\r\n");
}

TEST(CallCsv, OpenCallLeavesCauseAndTalkEmpty) {
    Call c = answered();
    c.released = false;
    EXPECT_NE(csv(c).find(",answered,false,,,,,2.249900,,12.259900,"), std::string::npos);
}

TEST(CallCsv, FieldWithACommaIsQuoted) {
    Call c = answered();
    c.names = {{"NAME_CALL", "Ivanov, I."}};
    EXPECT_NE(csv(c).find(",\"NAME_CALL=Ivanov, I.\","), std::string::npos);
}

TEST(CallCsv, QuoteInAFieldIsDoubled) {
    Call c = answered();
    c.names = {{"NAME_CALL", "\"Post\" 7"}};
    EXPECT_NE(csv(c).find(",\"NAME_CALL=\"\"Post\"\" 7\","), std::string::npos);
}

TEST(CallCsv, LineBreakInAFieldIsQuoted) {
    Call c = answered();
    c.names = {{"NAME_CALL", "a\nb"}};
    EXPECT_NE(csv(c).find(",\"NAME_CALL=a\nb\","), std::string::npos);
}

TEST(CallTable, HeaderAndRowLineUp) {
    TextBuffer out;
    const CallTable table(15);
    table.header(out);
    table.row(answered(), "09:30:00.000100", out);
    EXPECT_EQ(out.view(),
              "    SEANCE START               DURATION CALLING          CALLED           OUTCOME    CAUSE   PACKETS\n"
              "      1001 09:30:00.000100    12.259900 +74951234567     2015             answered   16      11\n");
}

TEST(CallTable, OpenCallWithDialledDigits) {
    Call c;
    c.seance = 1004;
    c.digits = "2018";
    TextBuffer out;
    CallTable(3).row(c, "7", out);
    EXPECT_EQ(out.view(),
              "      1004 7              - -                2018             unanswered open    0\n");
}

TEST(CallTable, EvictedCallSaysSoForItsCause) {
    Call c = answered();
    c.released = false;
    c.evicted = true;
    TextBuffer out;
    CallTable(15).row(c, "09:30:00.000100", out);
    EXPECT_NE(out.view().find(" answered   evicted 11\n"), std::string::npos);
}

TEST(PutSeconds, NegativeSpan) {
    char text[32];
    EXPECT_EQ(std::string(text, put_seconds(text, -1500000000, 6)), "-1.500000");
}

}  // namespace
}  // namespace tool
}  // namespace paketlog
