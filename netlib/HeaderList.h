// A list of "Name: value" lines, as built for requests and mail headers.
#pragma once

#include <string>
#include <vector>

namespace kestrup {

// Compares two texts ignoring the case of ASCII letters: <0, 0 or >0.
int CompareText(const std::string& a, const std::string& b);
inline bool SameText(const std::string& a, const std::string& b) { return CompareText(a, b) == 0; }

class THeaderList {
public:
    std::vector<std::string> Lines;
    bool Sorted = false;

    // Index of the line whose name (before the first ':') equals name, ignoring
    // case; -1 when there is none.
    int IndexOfName(const std::string& name) const;
    // A non-empty value replaces the line of that name or adds one; an empty
    // value deletes it.
    void SetValue(const std::string& name, const std::string& value);
    void Add(const std::string& line) { Lines.push_back(line); }
    void Clear() { Lines.clear(); }
    int Count() const { return int(Lines.size()); }
    // Every line followed by CR LF.
    std::string Text() const;
};

}  // namespace kestrup
