// Redaction: what is hidden and what is left, tokens shared across files,
// text fed in pieces of any size, and the map turning every output back.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli/Redaction.h"
#include "support/RedactionMap.h"

namespace kmx {
namespace {

RedactionNames Names() {
    RedactionNames names;
    names.users = {"jdoe", "J\xc3\xb6rg"};
    names.computers = {"DESKTOP-7QX"};
    names.domains = {"CONTOSO"};
    names.terms = {"Project Falcon", "tab\there", "back\\slash", "caf\xe9"};
    return names;
}

std::string RedactAll(Redactor& redactor, const std::string& text) {
    std::string out;
    redactor.Redact(text, out);
    return out;
}

TEST(RedactionTest, HidesEachKindAndReversesExactly) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"to john.doe@contoso.com.", "to [[mail-1~zz9z]]."},
        {"SMTP:J.Doe+kmx@mail.corp.example.org;", "SMTP:[[mail-1~zz9z]];"},
        {"C:\\Users\\jdoe\\AppData C:\\Users\\JDOE\\x",
         "C:\\Users\\[[user-1~zz9z]]\\AppData C:\\Users\\[[user-2~zz9z]]\\x"},
        {"J\xc3\xb6rg's", "[[user-1~zz9z]]'s"},
        {"\\\\DESKTOP-7QX\\share, desktop-7qx", "\\\\[[computer-1~zz9z]]\\share, [[computer-2~zz9z]]"},
        {"CONTOSO\\jdoe", "[[domain-1~zz9z]]\\[[user-1~zz9z]]"},
        {"from 192.168.10.20:443 and (10.0.0.1).", "from [[ip-1~zz9z]]:443 and ([[ip-2~zz9z]])."},
        {"10.0.0.1-10.0.0.9 KMXLogCtl-1.0.0.5-x64.msi",
         "[[ip-1~zz9z]]-[[ip-2~zz9z]] KMXLogCtl-1.0.0.5-x64.msi"},
        {"[fe80::1c2d:3e4f%12]:443 ::ffff:10.1.2.3 2001:db8:0:0:0:0:2:1",
         "[[[ip-1~zz9z]]%12]:443 [[ip-2~zz9z]] [[ip-3~zz9z]]"},
        {"https://mail01.contoso.local/ews contoso.com _ldap._tcp.dc.contoso.de",
         "https://[[host-1~zz9z]]/ews [[host-2~zz9z]] [[host-3~zz9z]]"},
        {"mail01.CONTOSO.local", "[[host-1~zz9z]]"},
        {"sid S-1-5-21-1004336348-1177238915-682003330-1001.", "sid [[sid-1~zz9z]]."},
        {"EX:/o=Contoso/ou=Exchange Administrative Group (FYDIBOHF23SPDLT)/cn=Recipients/cn=jdoe55>",
         "EX:/o=[[domain-1~zz9z]]/ou=Exchange Administrative Group "
         "(FYDIBOHF23SPDLT)/cn=Recipients/cn=[[mailbox-1~zz9z]]>"},
        {"PROJECT FALCONS tab\there back\\slash caf\xe9",
         "[[term-1~zz9z]]S [[term-2~zz9z]] [[term-3~zz9z]] [[term-4~zz9z]]"},
        {"[[ip-1~zz9z]]", "[[ip-1[[tag-1~zz9z]]]]"},
        // Things to keep: times, hex codes, GUIDs, thread ids, versions, log
        // file names, well-known SIDs, words that only contain a name.
        {"2026-12-09 12:34:56.789  2832 [MainSync] hr=0x8004010F {8F3A1B2C-0D4E-4F5A-9B6C-7D8E9F0A1B2C}\r\n",
         "2026-12-09 12:34:56.789  2832 [MainSync] hr=0x8004010F {8F3A1B2C-0D4E-4F5A-9B6C-7D8E9F0A1B2C}\r\n"},
        {"version 16.0.1.2, Build: 1.2.3.4 v2.3.4.5 1.2.3.4.5 256.1.1.1 10:20:30 [1a2b:3c4d]",
         "version 16.0.1.2, Build: 1.2.3.4 v2.3.4.5 1.2.3.4.5 256.1.1.1 10:20:30 [1a2b:3c4d]"},
        {"KMXLog_20261209.log kmx-20071015T095453.302-OUTLOOK.EXE-2832.log settings.reg KMXLogCtl.exe",
         "KMXLog_20261209.log kmx-20071015T095453.302-OUTLOOK.EXE-2832.log settings.reg KMXLogCtl.exe"},
        {"std::string CFoo::Bar Add::Be System.String e.g. S-1-5-18 S-1-5-32-544 root@localhost",
         "std::string CFoo::Bar Add::Be System.String e.g. S-1-5-18 S-1-5-32-544 root@localhost"},
        {"jdoes xjdoe J\xc3\xb6rgen \xff\xfe", "jdoes xjdoe J\xc3\xb6rgen \xff\xfe"},
    };
    for (const auto& c : cases) {
        Redactor redactor(Names(), "zz9z");
        const std::string out = RedactAll(redactor, c.in);
        EXPECT_EQ(out, c.out) << c.in;
        EXPECT_EQ(ReverseRedaction(out, redactor.Map()), c.in) << redactor.Map();
    }
}

// A bundle's worth of lines, with things to hide and things to keep.
std::string SampleLog() {
    const char* const lines[] = {
        "2026-12-09 08:00:01.002  4812 [MainSync] store of anna.meyer@contoso.com opened on "
        "mail03.contoso.com\r\n",
        "2026-12-09 08:00:01.010  4812 [HTTP] POST https://[fd00::a528:bf67]:443/ews from 10.20.30.40\r\n",
        "2026-12-09 08:00:01.020  5120 [GAL] /o=Contoso/ou=AG/cn=Recipients/cn=annameyer status=0\r\n",
        "2026-12-09 08:00:01.030  5120 [UI] C:\\Users\\jdoe\\AppData\\Local\\KMXLog_20261209.log by "
        "CONTOSO\\jdoe\r\n",
        "2026-12-09 08:00:01.040  5120 [UI] version 16.0.1.2 hr=0x8004010F sid S-1-5-21-1-2-3-1001 "
        "caf\xe9\r\n",
        "a line with nothing to hide\n",
    };
    std::mt19937 random(7);
    std::string text;
    for (int i = 0; i < 300; ++i) text += lines[random() % 6];
    // An overlong line, cut where a space allows.
    for (int i = 0; i < 40; ++i) text += "word jdoe@contoso.com 192.168.1.1 ";
    return text + "\nlast line without end 10.0.0.9";
}

TEST(RedactionTest, PiecesOfAnySizeGiveTheWholeResultAndTokensHoldAcrossFiles) {
    const std::string text = SampleLog();
    Redactor redactor(Names());
    const auto stream = [&](const std::vector<std::size_t>& sizes) {
        RedactionStream stream(redactor, 200);
        std::string out;
        std::size_t at = 0;
        for (std::size_t i = 0; at < text.size(); ++i) {
            const std::size_t size = std::min(sizes[i % sizes.size()], text.size() - at);
            stream.Write(std::string_view(text).substr(at, size), out);
            at += size;
        }
        stream.Finish(out);
        return out;
    };
    const std::string whole = stream({text.size()});
    EXPECT_NE(whole.find("[[mail-"), std::string::npos);
    EXPECT_EQ(whole.find("contoso"), std::string::npos);
    EXPECT_EQ(stream({1}), whole);
    std::mt19937 random(11);
    for (int run = 0; run < 5; ++run) {
        std::vector<std::size_t> sizes;
        for (int i = 0; i < 50; ++i) sizes.push_back(random() % 700 + 1);
        EXPECT_EQ(stream(sizes), whole);
    }
    // A second file, redacted by other threads at once, shares the tokens.
    std::string outputs[4];
    std::vector<std::thread> threads;
    for (std::string& out : outputs)
        threads.emplace_back([&] {
            RedactionStream stream(redactor, 200);
            stream.Write(text, out);
            stream.Finish(out);
        });
    for (std::thread& thread : threads) thread.join();
    for (const std::string& out : outputs) EXPECT_EQ(out, whole);
    EXPECT_EQ(ReverseRedaction(whole, redactor.Map()), text);
}

TEST(RedactionTest, TagsDifferPerBundleAndCutsFallOnLineEndsThenBlanks) {
    EXPECT_NE(Redactor(Names()).Tag(), Redactor(Names()).Tag());
    EXPECT_EQ(Redactor::Cut("a b\nc d"), 4u);
    EXPECT_EQ(Redactor::Cut("a b\tc"), 4u);
    EXPECT_EQ(Redactor::Cut("abc"), 0u);
}

}  // namespace
}  // namespace kmx
