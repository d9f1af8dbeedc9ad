#include "HeaderList.h"

#include <algorithm>
#include <cctype>

namespace kestrup {

int CompareText(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i]));
        int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x - y;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

namespace {
// Compares the name part of line (before its first ':') with name, ignoring case.
int CompareName(const std::string& line, const std::string& name) {
    return CompareText(line.substr(0, line.find(':')), name);
}
}  // namespace

int THeaderList::IndexOfName(const std::string& name) const {
    if (Sorted) {
        int lo = 0, hi = int(Lines.size()) - 1;
        while (lo <= hi) {
            int mid = (lo + hi) / 2;
            int c = CompareName(Lines[size_t(mid)], name);
            if (c == 0) return mid;
            if (c < 0)
                lo = mid + 1;
            else
                hi = mid - 1;
        }
        return -1;
    }
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (Lines[i].find(':') == std::string::npos) continue;
        if (CompareName(Lines[i], name) == 0) return int(i);
    }
    return -1;
}

void THeaderList::SetValue(const std::string& name, const std::string& value) {
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Lines.erase(Lines.begin() + i);
        return;
    }
    std::string line = name + ": " + value;
    if (i >= 0) {
        Lines[size_t(i)] = line;
    } else if (Sorted) {
        auto it = Lines.begin();
        while (it != Lines.end() && CompareName(*it, name) < 0) ++it;
        Lines.insert(it, line);
    } else {
        Lines.push_back(line);
    }
}

std::string THeaderList::Text() const {
    std::string s;
    for (const auto& l : Lines) {
        s += l;
        s += "\r\n";
    }
    return s;
}

}  // namespace kestrup
