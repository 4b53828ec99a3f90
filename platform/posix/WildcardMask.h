// Windows wildcard masks for file search: "*" and "?" with the DOS rules that
// FindFirstFile applies, letters compared without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A mask is translated once the way the Win32 layer hands it to the file system:
//   "?"                      any one character; at a "." or the end of the name it
//                            matches nothing (so "a?" matches "a" and "a?.txt" "a.txt");
//   "*" before a "."         any characters up to the name's last "." ("*.*" therefore
//                            matches every name, with or without a dot);
//   "." before "*"/"?"/end   a "." or the end of the name ("*." matches names without a
//                            dot, "abc." matches "abc");
//   "*" elsewhere            any characters.
// Letters are compared after Unicode simple case folding, as NTFS compares names.
class WildcardMask {
public:
    explicit WildcardMask(std::u16string_view mask = u"*");

    // True when `name` (one file name, no separators) matches the mask.
    bool Matches(std::u16string_view name) const;
    // True when the mask matches every name ("*", "*.*").
    bool MatchesEverything() const { return everything_; }
    // True when the mask holds no "*" or "?": it names one entry.
    bool IsLiteral() const { return literal_; }

private:
    std::vector<char32_t> tokens_;  // folded literals and the four wildcard kinds
    bool everything_ = false;
    bool literal_ = true;
};
