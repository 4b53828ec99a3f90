// Windows wildcard matching over folded code points.
#include "platform/posix/WildcardMask.h"

#include "common/text/TextCase.h"

namespace {

// Wildcard kinds live above the last code point, so they never equal a literal.
constexpr char32_t kStar = 0x110000;     // any characters
constexpr char32_t kDosStar = 0x110001;  // any characters, up to the last "."
constexpr char32_t kDosQm = 0x110002;    // one character, or nothing at a "." or the end
constexpr char32_t kDosDot = 0x110003;   // a "." or the end of the name

// The code points of `text` after simple case folding; a lone surrogate stays itself.
std::vector<char32_t> Folded(std::u16string_view text)
{
    std::vector<char32_t> out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = text[i++];
        if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i++]) - 0xDC00);
        out.push_back(textcase::Map(c, textcase::Mode::SimpleFold));
    }
    return out;
}

}  // namespace

WildcardMask::WildcardMask(std::u16string_view mask)
{
    const std::vector<char32_t> chars = Folded(mask);
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char32_t next = i + 1 < chars.size() ? chars[i + 1] : 0;
        switch (chars[i]) {
        case U'?':
            tokens_.push_back(kDosQm);
            literal_ = false;
            break;
        case U'*':
            tokens_.push_back(next == U'.' ? kDosStar : kStar);
            literal_ = false;
            break;
        case U'.':
            tokens_.push_back(next == U'*' || next == U'?' || next == 0 ? kDosDot : U'.');
            break;
        default:
            tokens_.push_back(chars[i]);
        }
    }
    everything_ = tokens_ == std::vector<char32_t>{kStar} ||
                  tokens_ == std::vector<char32_t>{kDosStar, kDosDot, kStar};
}

bool WildcardMask::Matches(std::u16string_view name) const
{
    if (everything_) return true;
    const std::vector<char32_t> n = Folded(name);
    const std::size_t N = n.size();
    const std::size_t T = tokens_.size();
    // dotAfter[i]: a "." stands somewhere after position i.
    std::vector<unsigned char> dotAfter(N + 1, 0);
    for (std::size_t i = N; i-- > 0;) dotAfter[i] = i + 1 < N && (n[i + 1] == U'.' || dotAfter[i + 1]);
    // next[i]: tokens t+1.. match name characters i..; cur[i] the same for tokens t..
    // Filled from the end, two rows at a time, so time is tokens x characters and
    // memory one row, whatever the mask.
    std::vector<unsigned char> next(N + 1, 0), cur(N + 1, 0);
    next[N] = 1;
    for (std::size_t t = T; t-- > 0;) {
        const char32_t tok = tokens_[t];
        for (std::size_t i = N + 1; i-- > 0;) {
            const bool more = i < N;
            bool m = false;
            switch (tok) {
            case kStar:
                m = next[i] || (more && cur[i + 1]);
                break;
            case kDosStar:
                // May pass a "." only while another one follows.
                m = next[i] || (more && (n[i] != U'.' || dotAfter[i]) && cur[i + 1]);
                break;
            case kDosQm:
                m = more && n[i] != U'.' ? next[i + 1] : next[i];
                break;
            case kDosDot:
                m = more ? n[i] == U'.' && next[i + 1] : next[i];
                break;
            default:
                m = more && n[i] == tok && next[i + 1];
            }
            cur[i] = m;
        }
        next.swap(cur);
    }
    return next[0] != 0;
}
