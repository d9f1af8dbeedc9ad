// Encoders, header lists and streams.
#include <gtest/gtest.h>

#include "Errors.h"
#include "HeaderList.h"
#include "Streams.h"
#include "UUCodec.h"
#include "UrlEncoder.h"

using namespace kestrup;

namespace {
std::string Encode(const std::string& in, TUUMethod method) {
    TMemoryStream input(in), output;
    TUUProcessor p;
    p.Method = method;
    int begins = 0, ends = 0;
    p.OnBeginEncode = [&](TUUProcessor&) { ++begins; };
    p.OnEndEncode = [&](TUUProcessor&) { ++ends; };
    p.Encode(input, output);
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(output.Position(), 0);
    return output.Data();
}
}  // namespace

TEST(UUProcessor, Base64LinesOf45Bytes) {
    std::string in(46, '\0');
    for (size_t i = 0; i < in.size(); ++i) in[i] = char(i * 7 + 1);
    std::string out = Encode(in, uuMime);
    size_t first = out.find("\r\n");
    ASSERT_EQ(first, 60u);
    std::string second = out.substr(62);
    EXPECT_EQ(second.size(), 6u);  // four characters and CR LF
    EXPECT_EQ(second.substr(2), "==\r\n");
    // RFC 4648 vectors, one short line each.
    EXPECT_EQ(Encode("foobar", uuMime), "Zm9vYmFy\r\n");
    EXPECT_EQ(Encode("fooba", uuMime), "Zm9vYmE=\r\n");
    EXPECT_EQ(Encode("", uuMime), "");
}

TEST(UUProcessor, UuencodeUsesGraveForZeroAndEndsWithGraveLine) {
    EXPECT_EQ(Encode("Cat", uuCode), "#0V%T\r\n`\r\n");
    // The last group is not padded: one byte gives two characters.
    EXPECT_EQ(Encode("A", uuCode), "!00\r\n`\r\n");
    std::string zeros(3, '\0');
    EXPECT_EQ(Encode(zeros, uuCode), "#````\r\n`\r\n");
    std::string full(45, 'x');
    std::string out = Encode(full, uuCode);
    EXPECT_EQ(out.substr(0, 1), "M");  // 45 bytes
    EXPECT_EQ(out.find("\r\n"), 61u);
}

TEST(UUProcessor, Base64LineHasNoBreaksForLongInput) {
    std::string line = Base64Line(std::string(100, 'u') + ":" + std::string(100, 'p'));
    EXPECT_EQ(line.find('\r'), std::string::npos);
    EXPECT_EQ(line.size(), 268u);
    EXPECT_EQ(Base64Line("user:pass"), "dXNlcjpwYXNz");
}

TEST(UrlEncoder, FormEncoding) {
    TUrlEncoder e;
    EXPECT_EQ(e.Encode(" /a"), "+%2fa");
    EXPECT_EQ(e.Encode("Az09"), "Az09");
    EXPECT_EQ(e.Encode(std::string("\xE9&=.\x00", 5)), "%e9%26%3d%2e%00");
}

TEST(HeaderList, FindSetAndDelete) {
    THeaderList h;
    h.Add("GET / HTTP/1.0");
    h.Add("Host: a");
    h.SetValue("cookie", "x=1");
    EXPECT_EQ(h.IndexOfName("COOKIE"), 2);
    EXPECT_EQ(h.IndexOfName("GET / HTTP/1.0"), -1);  // lines without ':' are skipped
    h.SetValue("Cookie", "y=2");
    EXPECT_EQ(h.Count(), 3);
    EXPECT_EQ(h.Lines[2], "Cookie: y=2");
    h.SetValue("Cookie", "");
    EXPECT_EQ(h.IndexOfName("Cookie"), -1);
    EXPECT_EQ(h.Text(), "GET / HTTP/1.0\r\nHost: a\r\n");

    THeaderList sorted;
    sorted.Sorted = true;
    for (const char* n : {"Zeta", "Alpha", "Mid", "beta"}) sorted.SetValue(n, "v");
    EXPECT_EQ(sorted.IndexOfName("alpha"), 0);
    EXPECT_EQ(sorted.IndexOfName("MID"), 2);
    EXPECT_EQ(sorted.IndexOfName("zeta"), 3);
    EXPECT_EQ(sorted.IndexOfName("none"), -1);
}

TEST(BufferStream, WritesThroughAndReadsBack) {
    TMemoryStream inner;
    std::string data(100000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 31 + i / 7);
    int flushes = 0;
    {
        TBufferStream b(inner);
        b.OnFlush = [&](TBufferStream&) { ++flushes; };
        b.Write(data.data(), 1000);
        EXPECT_EQ(inner.Size(), 0);  // still collected
        b.Write(data.data() + 1000, int64_t(data.size()) - 1000);
        EXPECT_EQ(b.Size(), int64_t(data.size()));
    }
    EXPECT_EQ(flushes, 4);  // three full buffers and the rest when freed
    EXPECT_EQ(inner.Data(), data);

    TBufferStream r(inner);
    r.SetPosition(0);
    std::string back(data.size(), '\0');
    EXPECT_EQ(r.Read(back.data(), int64_t(back.size())), int64_t(data.size()));
    EXPECT_EQ(back, data);
    EXPECT_EQ(r.Seek(10, soFromEnd), int64_t(data.size()) - 10);
    char c;
    r.Read(&c, 1);
    EXPECT_EQ(c, data[data.size() - 10]);
    r.PutBack('Q');
    r.Read(&c, 1);
    EXPECT_EQ(c, 'Q');
}

TEST(BufferStream, Failures) {
    TMemoryStream inner("abc");
    TBufferStream b(inner);
    EXPECT_THROW(b.PutBack('x'), EKestrupError);
    try {
        b.Seek(0, 7);
        FAIL();
    } catch (const EKestrupError& e) {
        EXPECT_STREQ(e.what(), "Invalid seek origin = 7");
    }
    // A write followed by a seek lands in the inner stream at the right place.
    b.Seek(1, soFromBeginning);
    b.Write("XY", 2);
    b.Seek(0, soFromBeginning);
    char got[3];
    EXPECT_EQ(b.Read(got, 3), 3);
    EXPECT_EQ(std::string(got, 3), "aXY");
}
