// The one pattern matcher of every system: `*` any run of characters, `?` any one, every
// other character itself ('[' and '\\' included). Each backend supplies only how two
// characters compare (exactly, or ignoring letter case) and its rule for a leading dot.
#pragma once

#include <cstddef>
#include <string>

namespace quorrel {

// True when `name` matches `pattern` whole, with `same` (a, b) deciding whether a pattern
// character equals a name character. Backtracks to the last `*` only, so it runs in time
// linear in the product of the lengths at worst, never exponential.
template <typename Char, typename Same>
bool MatchWildcards(const std::basic_string<Char>& pattern, const std::basic_string<Char>& name,
                    Same same) {
    const std::size_t none = std::basic_string<Char>::npos;
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = none;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == Char('*')) {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == Char('?') || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (star != none) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == Char('*')) {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace quorrel
