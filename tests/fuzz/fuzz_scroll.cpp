// The scrolling message (.SCM) and credits (.CMS) texts.
#include "library/ScrollText.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        orb::ParseScrollMessage(text);
    } catch (const orb::EScrollFormat&) {
    }
    try {
        orb::ParseScrollCredits(text);
    } catch (const orb::EScrollFormat&) {
    }
    return 0;
}
