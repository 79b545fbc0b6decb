// Pure helpers of the FTP client: PASV parsing, where the data connection goes,
// control-text encodings and the nesting rule of the work events.
#include "ftp/PassiveAddress.h"
#include "platform/base/TextEncoding.h"
#include "ftp/WorkReporter.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pordane::ftp;
using pordane::platform::IPv4;

namespace {
IPv4 ip(const char* text)
{
    return *IPv4::parse(text);
}
} // namespace

TEST(ParsePasvReply, ReadsTheSixNumbersInTheirUsualForms)
{
    const PassiveEndpoint expected{ip("192.168.1.10"), 4 * 256 + 1};
    EXPECT_EQ(parsePasvReply("227 Entering Passive Mode (192,168,1,10,4,1)"), expected);
    EXPECT_EQ(parsePasvReply("Entering Passive Mode (192,168,1,10,4,1)."), expected);
    // No parentheses: the last word. No closing one: to the end of the line.
    EXPECT_EQ(parsePasvReply("227 Entering Passive Mode 192,168,1,10,4,1"), expected);
    EXPECT_EQ(parsePasvReply("227 Entering Passive Mode (192,168,1,10,4,1"), expected);
    EXPECT_EQ(parsePasvReply("227 =( 192, 168, 1, 10, 4, 1 )"), expected);
    EXPECT_EQ(parsePasvReply("227 (127,0,0,1,255,255)")->port, 65535);
}

TEST(ParsePasvReply, RefusesAnythingButSixNumbersUpTo255)
{
    for (const char* bad : {"227 Entering Passive Mode (127,0,0,1,4)", "227 (127,0,0,1,4,1,9)", "227 (127,0,0,256,4,1)",
                            "227 (127,0,0,1,4,300)", "227 (127,0,0,1,,1)", "227 (127,0,0,1,4,x)", "227 (1270,0,0,1,4,1)",
                            "227 (127,0,0,1,-4,1)", "227 Entering Passive Mode", "227 (127,0,0,1,0,0)", ""})
        EXPECT_FALSE(parsePasvReply(bad)) << bad;
}

TEST(PassiveTarget, TheDataConnectionAlwaysGoesToTheControlPeer)
{
    struct Case {
        const char* announced;
        const char* peer;
        bool differs;
    };
    const Case cases[] = {
        {"192.168.1.10", "203.0.113.7", true},  // a server behind NAT announcing its LAN address
        {"10.1.2.3", "127.0.0.1", true},        // bounce into a private network
        {"203.0.113.9", "127.0.0.1", true},     // bounce to a public host
        {"198.51.100.9", "203.0.113.7", true},  // another public host
        {"127.0.0.66", "127.0.0.1", true},      // another loopback address
        {"192.168.1.10", "192.168.1.10", false},
        {"0.0.0.0", "127.0.0.1", false},        // names no host
    };
    for (const Case& c : cases) {
        const PassiveTarget t = passiveTarget(ip(c.announced), ip(c.peer));
        EXPECT_EQ(t.address, ip(c.peer)) << c.announced;
        EXPECT_EQ(t.differs, c.differs) << c.announced;
    }
    EXPECT_EQ(passiveNotice(ip("10.1.2.3"), ip("127.0.0.1")),
              "El servidor anuncia la dirección privada 10.1.2.3 para los datos; se usa la del servidor, 127.0.0.1");
    EXPECT_EQ(passiveNotice(ip("203.0.113.9"), ip("127.0.0.1")),
              "El servidor anuncia la dirección 203.0.113.9 para los datos; se usa la del servidor, 127.0.0.1");
}

TEST(IsPrivateOrLocal, MatchesTheRangesAndNothingElse)
{
    for (const char* yes : {"127.0.0.1", "127.255.0.1", "10.0.0.0", "169.254.0.1", "192.168.0.1", "172.16.0.0", "172.31.0.1"})
        EXPECT_TRUE(isPrivateOrLocal(ip(yes))) << yes;
    for (const char* no : {"11.0.0.1", "169.253.0.1", "192.169.0.1", "172.15.9.9", "172.32.0.0", "8.8.8.8", "128.0.0.1"})
        EXPECT_FALSE(isPrivateOrLocal(ip(no))) << no;
}

TEST(SingleByteText, Latin1RoundTripsAndUnmappableBecomesQuestionMark)
{
    const std::string utf8 = "a\xC3\xB1o \xC3\x81rbol";  // "año Árbol"
    const std::string latin1 = "a\xF1o \xC1rbol";
    EXPECT_EQ(pordane::platform::utf8ToLatin1(utf8), latin1);
    EXPECT_EQ(pordane::platform::latin1ToUtf8(latin1), utf8);
    EXPECT_EQ(pordane::platform::utf8ToLatin1("\xE2\x82\xAC"), "?");      // the euro sign has no Latin-1 byte
    EXPECT_EQ(pordane::platform::utf8ToLatin1("x\xC3"), "x?");            // cut sequence
    EXPECT_EQ(pordane::platform::utf8ToLatin1("\xFF\x80z"), "??z");       // stray bytes
    EXPECT_EQ(pordane::platform::utf8ToLatin1("\xC0\xAF"), "??");          // an overlong "/" is no slash
    EXPECT_EQ(pordane::platform::utf8ToLatin1("\xED\xA0\x80"), "???");     // a surrogate is not UTF-8
}

namespace {
struct Recorder : FTPObserver {
    std::vector<std::string> events;
    void OnWorkBegin(WorkMode m, int64_t max) override { events.push_back(tag(m) + "begin " + std::to_string(max)); }
    void OnWork(WorkMode m, int64_t n) override { events.push_back(tag(m) + "work " + std::to_string(n)); }
    void OnWorkEnd(WorkMode m) override { events.push_back(tag(m) + "end"); }
    static std::string tag(WorkMode m) { return m == WorkMode::wmRead ? "r " : "w "; }
};
} // namespace

TEST(WorkReporter, NestedBeginsAreCountedAndOnlyTheOutermostEndIsReported)
{
    Recorder rec;
    WorkReporter work;
    work.setObserver(&rec);
    work.begin(WorkMode::wmRead, 0);
    work.begin(WorkMode::wmRead, 99); // nested: not reported
    work.begin(WorkMode::wmWrite, 10); // other mode: reported
    work.work(WorkMode::wmRead, 5);
    work.end(WorkMode::wmRead); // inner end: not reported
    work.end(WorkMode::wmWrite);
    work.work(WorkMode::wmRead, 7);
    work.end(WorkMode::wmRead);
    work.end(WorkMode::wmRead); // unbalanced end: ignored
    work.work(WorkMode::wmRead, 8); // outside a transfer: ignored
    EXPECT_EQ(rec.events, (std::vector<std::string>{"r begin 0", "w begin 10", "r work 5", "w end", "r work 7", "r end"}));
    EXPECT_EQ(work.depth(WorkMode::wmRead), 0);
}
