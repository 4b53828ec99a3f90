// The file search as a caller's whole process: RefreshEx2(DIR, "*") through the public
// interface of the shared library, then a walk of the tree it built that prints each
// entry's size on a line of its own, as `find DIR -printf '%s\n'` does. bench/search-vs-find
// times the two against each other.
//
//   search_walk DIR                   search and walk
//   search_walk --make DIR ENTRIES    make a test tree of at least ENTRIES entries in DIR
#include <Hollin0106/qvxFoundedFiles.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

// UTF-8 as the caller holds its arguments, to the library's UTF-16; empty for bytes that
// are not UTF-8 (the trees this program makes have plain names).
std::u16string Utf16(std::string_view utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                                                   : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || utf8.size() - i <= static_cast<std::size_t>(extra)) return {};
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) return {};
            c = c << 6 | (next & 0x3F);
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

// Standard output through one large buffer.
class Output {
public:
    ~Output() { Flush(); }
    void Line(std::uint64_t value)
    {
        if (used_ + 32 > sizeof buffer_) Flush();
        used_ = static_cast<std::size_t>(std::to_chars(buffer_ + used_, buffer_ + sizeof buffer_, value).ptr - buffer_);
        buffer_[used_++] = '\n';
    }
    void Flush()
    {
        std::fwrite(buffer_, 1, used_, stdout);
        used_ = 0;
    }

private:
    char buffer_[1 << 16];
    std::size_t used_ = 0;
};

// What a caller does with the tree: every entry's name and size, into every directory.
std::size_t Walk(const Hollin0106::qvxFoundedFiles& level, Output& out)
{
    std::size_t nameUnits = 0;
    for (const auto& entry : level) {
        nameUnits += entry->FileName().size();
        out.Line(static_cast<std::uint64_t>(entry->FileSize()));
        if (entry->AttributeDirectory()) nameUnits += Walk(*entry->Childs(), out);
    }
    return nameUnits;
}

std::string Numbered(const char* stem, std::size_t n, const char* suffix = "")
{
    std::string name = stem;
    name += std::to_string(n);
    name += suffix;
    return name;
}

// 10 x 10 x 10 folders three levels down, the rest files of 0 to 4,095 bytes in the
// deepest ones, a third of them ".dat", the others ".txt".
int MakeTree(const std::filesystem::path& root, std::size_t entries)
{
    const std::size_t perLeaf = entries > 1110 ? (entries - 1110 + 999) / 1000 : 0;
    std::size_t made = 0;
    for (std::size_t a = 0; a < 10; ++a)
        for (std::size_t b = 0; b < 10; ++b)
            for (std::size_t c = 0; c < 10; ++c) {
                const auto leaf = root / Numbered("d", a) / Numbered("e", b) / Numbered("f", c);
                std::filesystem::create_directories(leaf);
                for (std::size_t f = 0; f < perLeaf; ++f, ++made) {
                    std::ofstream file(leaf / Numbered("file", f, f % 3 ? ".txt" : ".dat"));
                    file << std::string((f * 37 + made) % 4096, 'x');
                    if (!file) return 1;
                }
            }
    std::printf("%zu entries\n", made + 1110);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--make") == 0) return MakeTree(argv[2], std::strtoull(argv[3], nullptr, 10));
    if (argc != 2) {
        std::fprintf(stderr, "usage: search_walk DIR | search_walk --make DIR ENTRIES\n");
        return 2;
    }
    Hollin0106::qvxFoundedFiles found;
    if (!found.RefreshEx2(Utf16(argv[1]), u"*")) return 1;
    Output out;
    const std::size_t nameUnits = Walk(found, out);
    out.Flush();
    std::fprintf(stderr, "%zu name units\n", nameUnits);
    return 0;
}
