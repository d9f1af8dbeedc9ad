#pragma once
// The catalogue source (content/mandala/catalogue.txt): subjects and drawings with their
// names in both languages.
#include <cstdint>
#include <string>
#include <vector>

namespace mandala {

struct Subject {
    std::string folder, dutch, english;
};

struct Drawing {
    std::string folder, file, style;
    uint64_t seed = 0;
    int size = 0;
    std::string dutch, english;
    // Name of the member in the picture archive: "M\" + folder + "\" + file.
    std::string member() const { return "M\\" + folder + "\\" + file; }
};

struct Catalogue {
    std::vector<Subject> subjects;
    std::vector<Drawing> drawings;
};

// Reads the source; on a malformed line returns false with the reason in error.
bool ReadCatalogue(const std::string& path, Catalogue& out, std::string& error);

}  // namespace mandala
