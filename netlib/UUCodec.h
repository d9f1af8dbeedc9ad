// Base64 (MIME) and classic uuencoding of whole streams, 45 input bytes a line.
#pragma once

#include <functional>
#include <string>

#include "Streams.h"

namespace kestrup {

enum TUUMethod { uuMime, uuCode };

class TUUProcessor {
public:
    TUUMethod Method = uuMime;
    std::function<void(TUUProcessor&)> OnBeginEncode;
    std::function<void(TUUProcessor&)> OnEndEncode;

    // Encodes input from its start into output, each line ending in CR LF; the
    // output is left at position 0.
    void Encode(TStream& input, TStream& output);
};

// Base64 of text as one line, without line breaks.
std::string Base64Line(const std::string& text);

}  // namespace kestrup
