#include "UUCodec.h"

namespace kestrup {

namespace {

const char Base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

char UUChar(unsigned v) { return v == 0 ? '`' : char(32 + v); }

void EncodeMimeLine(const unsigned char* in, size_t n, std::string& out) {
    for (size_t i = 0; i < n; i += 3) {
        unsigned b0 = in[i];
        unsigned b1 = i + 1 < n ? in[i + 1] : 0;
        unsigned b2 = i + 2 < n ? in[i + 2] : 0;
        out += Base64Alphabet[b0 >> 2];
        out += Base64Alphabet[((b0 & 3) << 4) | (b1 >> 4)];
        out += i + 1 < n ? Base64Alphabet[((b1 & 15) << 2) | (b2 >> 6)] : '=';
        out += i + 2 < n ? Base64Alphabet[b2 & 63] : '=';
    }
}

void EncodeUULine(const unsigned char* in, size_t n, std::string& out) {
    out += UUChar(unsigned(n));
    for (size_t i = 0; i < n; i += 3) {
        unsigned b0 = in[i];
        unsigned b1 = i + 1 < n ? in[i + 1] : 0;
        unsigned b2 = i + 2 < n ? in[i + 2] : 0;
        size_t chars = i + 2 < n ? 4 : i + 1 < n ? 3 : 2;  // the last group is not padded
        unsigned v[4] = {b0 >> 2, ((b0 & 3) << 4) | (b1 >> 4), ((b1 & 15) << 2) | (b2 >> 6),
                         b2 & 63};
        for (size_t k = 0; k < chars; ++k) out += UUChar(v[k]);
    }
}

}  // namespace

void TUUProcessor::Encode(TStream& input, TStream& output) {
    if (OnBeginEncode) OnBeginEncode(*this);
    try {
        input.SetPosition(0);
        unsigned char block[45];
        std::string line;
        for (;;) {
            int64_t n = input.Read(block, sizeof block);
            if (n <= 0) break;
            line.clear();
            if (Method == uuMime)
                EncodeMimeLine(block, size_t(n), line);
            else
                EncodeUULine(block, size_t(n), line);
            line += "\r\n";
            output.WriteString(line);
            if (n < int64_t(sizeof block)) break;
        }
        if (Method == uuCode) output.WriteString("`\r\n");
        output.SetPosition(0);
    } catch (...) {
        if (OnEndEncode) OnEndEncode(*this);
        throw;
    }
    if (OnEndEncode) OnEndEncode(*this);
}

std::string Base64Line(const std::string& text) {
    std::string out;
    EncodeMimeLine(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out);
    return out;
}

}  // namespace kestrup
