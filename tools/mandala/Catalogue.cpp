#include "Catalogue.h"

#include <fstream>
#include <set>
#include <sstream>

#include "Designs.h"

namespace mandala {

namespace {

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> SplitBars(const std::string& s) {
    std::vector<std::string> parts;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, '|')) parts.push_back(Trim(part));
    return parts;
}

}  // namespace

bool ReadCatalogue(const std::string& path, Catalogue& out, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::set<std::string> folders, files;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        error = path + ":" + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        const auto parts = SplitBars(line);
        if (parts.size() != 3 || parts[1].empty() || parts[2].empty())
            return fail("expected three fields separated by '|'");
        std::istringstream head(parts[0]);
        std::string first;
        head >> first;
        if (first == "subject") {
            Subject s;
            head >> s.folder;
            if (s.folder.empty()) return fail("subject without folder");
            s.dutch = parts[1];
            s.english = parts[2];
            folders.insert(s.folder);
            out.subjects.push_back(s);
            continue;
        }
        Drawing d;
        d.folder = first;
        std::string seed;
        head >> d.file >> d.style >> seed >> d.size;
        if (!head || d.file.empty())
            return fail("drawing line needs folder, file, style, seed, size");
        if (!folders.count(d.folder)) return fail("unknown subject folder " + d.folder);
        if (d.folder == "User") return fail("the user's subject has no catalogue drawings");
        bool known = false;
        for (const auto& s : Styles()) known = known || s == d.style;
        if (!known) return fail("unknown style " + d.style);
        try {
            d.seed = std::stoull(seed);
        } catch (...) {
            return fail("bad seed " + seed);
        }
        if (d.size < 430 || d.size > 688) return fail("size must lie in 430..688");
        // Members are extracted under their bare name, so bare names must be unique.
        if (!files.insert(d.file).second) return fail("file name used twice: " + d.file);
        if (d.file.find_first_of("\\/=") != std::string::npos) return fail("bad file name");
        d.dutch = parts[1];
        d.english = parts[2];
        for (const auto& n : {d.dutch, d.english})
            if (n.find('=') != std::string::npos) return fail("a name must not contain '='");
        out.drawings.push_back(d);
    }
    if (out.subjects.empty() || out.subjects.back().folder != "User")
        return fail("the last subject must be the user's (folder User)");
    return true;
}

}  // namespace mandala
