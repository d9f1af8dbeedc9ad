// Form encoding (application/x-www-form-urlencoded) of request data.
#pragma once

#include <functional>
#include <string>

namespace kestrup {

class TUrlEncoder {
public:
    std::function<void(TUrlEncoder&, const std::string& message)> OnError;
    // Letters and digits stay, a space becomes '+', every other byte "%xx" in
    // lower-case hexadecimal. On failure the input comes back unchanged.
    std::string Encode(const std::string& text);
};

}  // namespace kestrup
