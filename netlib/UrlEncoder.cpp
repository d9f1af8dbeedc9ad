#include "UrlEncoder.h"

namespace kestrup {

std::string TUrlEncoder::Encode(const std::string& text) {
    try {
        static const char Hex[] = "0123456789abcdef";
        std::string out;
        out.reserve(text.size() * 3);
        for (unsigned char c : text) {
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
                out += char(c);
            } else if (c == ' ') {
                out += '+';
            } else {
                out += '%';
                out += Hex[c >> 4];
                out += Hex[c & 15];
            }
        }
        return out;
    } catch (...) {
        if (OnError) OnError(*this, "Error during encode");
        return text;
    }
}

}  // namespace kestrup
