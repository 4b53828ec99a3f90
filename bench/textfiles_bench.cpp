// Whole text files through GetFile2/PutFile2 in each encoding, against a plain read and
// write of the same bytes. The text has 64 Mi characters (a 64 MiB ANSI file, 128 MiB as
// UTF-16) of Western prose with accented letters, so that every encoding has real work
// to do; every file is far larger than what the allocator keeps for reuse, so plain and
// converted reads alike get fresh memory. GetFile2 asks for large pages for its text
// (platform::PrepareLargeFill); the plain read takes ordinary pages, as a caller's own
// buffer would.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/Utf16.h"
#include "filelib/modTextEncoding.h"
#include <Hollin0106/qvxFSO.h>
#include "support/codepages/CodePages.h"

using namespace Hollin0106;

namespace {

constexpr std::size_t kTextUnits = std::size_t{64} << 20;

struct Encoding {
    const char* name;
    FileEncoding_Const encoding;
    FileBOM_Const bom;
    InvertBytes_Const invert;
};

constexpr Encoding kEncodings[] = {
    {"ANSI-1252", feANSI, fbNoBOM, ibDontInvertBytes},
    {"UTF-8", feUTF8, fbBOM, ibDontInvertBytes},
    {"UTF-16LE", feUTF16, fbBOM, ibDontInvertBytes},
    {"UTF-16BE", feUTF16, fbBOM, ibInvertBytes},
};

const std::u16string& Text()
{
    static const std::u16string text = [] {
        const std::u16string line = u"Gr\u00FC\u00DFe aus K\u00F6ln: na\u00EFve caf\u00E9 cr\u00E8me br\u00FBl\u00E9e, "
                                    u"\u00A3 12.50 \u2014 \u20AC 14.75; la\u00DFt uns \u00FCben.\r\n";
        std::u16string t;
        t.reserve(kTextUnits);
        while (t.size() + line.size() <= kTextUnits) t += line;
        t.append(kTextUnits - t.size(), u'x');
        return t;
    }();
    return text;
}

std::filesystem::path FileFor(const Encoding& e)
{
    return std::filesystem::temp_directory_path() / (std::string("tagscope-bench-") + e.name + ".txt");
}

std::vector<std::uint8_t> BytesFor(const Encoding& e)
{
    return modTextEncoding::EncodeText(Text(), {e.encoding, e.bom, e.invert});
}

void Pin()
{
    codepages::SetHostCodePages(1252, 437);
}

void BM_PutFile2(benchmark::State& state)
{
    Pin();
    const Encoding& e = kEncodings[state.range(0)];
    state.SetLabel(e.name);
    qvxFSO fso;
    const std::u16string name = FromUtf8(FileFor(e).string());
    for (auto _ : state)
        if (!fso.PutFile2(name, Text(), true, e.encoding, e.bom, e.invert)) state.SkipWithError("write failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Text().size() * 2));
}

void BM_GetFile2(benchmark::State& state)
{
    Pin();
    const Encoding& e = kEncodings[state.range(0)];
    state.SetLabel(e.name);
    qvxFSO fso;
    const std::u16string name = FromUtf8(FileFor(e).string());
    fso.PutFile2(name, Text(), true, e.encoding, e.bom, e.invert);
    for (auto _ : state) {
        const std::u16string text = fso.GetFile2(name, true);
        if (text.size() != Text().size()) state.SkipWithError("text differs");
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Text().size() * 2));
}

// The same bytes as the encoding stores, written and read with no conversion at all.
void BM_PlainWrite(benchmark::State& state)
{
    Pin();
    const Encoding& e = kEncodings[state.range(0)];
    state.SetLabel(e.name);
    const std::vector<std::uint8_t> bytes = BytesFor(e);
    const auto path = FileFor(e).string() + ".plain";
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) state.SkipWithError("write failed");
        if (f) std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Text().size() * 2));
}

void BM_PlainRead(benchmark::State& state)
{
    Pin();
    const Encoding& e = kEncodings[state.range(0)];
    state.SetLabel(e.name);
    const std::vector<std::uint8_t> bytes = BytesFor(e);
    const auto path = FileFor(e).string() + ".plain";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    for (auto _ : state) {
        std::vector<std::uint8_t> in(std::filesystem::file_size(path));
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f || std::fread(in.data(), 1, in.size(), f) != in.size()) state.SkipWithError("read failed");
        if (f) std::fclose(f);
        benchmark::DoNotOptimize(in.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Text().size() * 2));
}

void Encodings(benchmark::internal::Benchmark* b)
{
    for (std::int64_t i = 0; i < static_cast<std::int64_t>(std::size(kEncodings)); ++i) b->Arg(i);
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_PutFile2)->Apply(Encodings);
BENCHMARK(BM_PlainWrite)->Apply(Encodings);
BENCHMARK(BM_GetFile2)->Apply(Encodings);
BENCHMARK(BM_PlainRead)->Apply(Encodings);

}  // namespace
