// qvxFoundedFiles::RefreshEx2 with mask "*" against GNU find doing the same walk
// (`find DIR -printf '%s\n'`, output discarded), on a generated tree of 100,000 entries
// on the local file system and, when an ntfs-3g volume can be mounted (root and
// /dev/fuse), of 20,000 entries there. The page cache is warmed by one untimed walk of
// each. After the runs the ratio search/find is printed for each tree (goal: <= 1.0).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include <Hollin0106/qvxFoundedFiles.h>

#include "common/Utf16.h"

namespace {

namespace fs = std::filesystem;

std::string Quote(const fs::path& p)
{
    std::string out = "'";
    for (char c : p.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool Run(const std::string& command)
{
    return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0;
}

// Depth 4: 10 x 10 x 10 folders, the rest files (of 0 to 4,095 bytes) in the deepest ones.
std::size_t MakeTree(const fs::path& root, std::size_t entries)
{
    std::size_t made = 0;
    const std::size_t filesPerLeaf = (entries - 1110) / 1000;
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b)
            for (int c = 0; c < 10; ++c) {
                const fs::path leaf = root / ("d" + std::to_string(a)) / ("e" + std::to_string(b)) /
                                      ("f" + std::to_string(c));
                fs::create_directories(leaf);
                for (std::size_t f = 0; f < filesPerLeaf; ++f) {
                    const fs::path file = leaf / ("file" + std::to_string(f) + (f % 3 ? ".txt" : ".dat"));
                    std::ofstream(file) << std::string((f * 37 + made) % 4096, 'x');
                    ++made;
                }
            }
    return made + 1110;
}

// A tree is made when a benchmark first needs it, so a filter skips making it too.
struct Tree {
    fs::path root;
    std::size_t wanted = 0;
    std::size_t entries = 0;

    void Make()
    {
        if (entries == 0) entries = MakeTree(root, wanted);
    }
};

std::map<std::string, Tree>& Trees()
{
    static std::map<std::string, Tree> trees;
    return trees;
}

struct Times {
    double wall = 1e9;  // fastest run, seconds
    double cpu = 1e9;   // fewest processor seconds (user + system) of one run
};

std::map<std::string, Times>& Best()
{
    static std::map<std::string, Times> best;
    return best;
}

// User and system time of this process and of its waited-for children.
double ProcessorSeconds()
{
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        struct rusage u{};
        ::getrusage(who, &u);
        total += static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                 static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

// Wall time can be stretched by other work on the machine; processor time is what the
// walk itself cost, so both are kept.
template <typename F, typename G>
void Timed(benchmark::State& state, const std::string& name, F&& walk, G&& reset)
{
    walk();  // page cache warm
    for (auto _ : state) {
        reset();
        const double cpu0 = ProcessorSeconds();
        const auto start = std::chrono::steady_clock::now();
        walk();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = ProcessorSeconds() - cpu0;
        state.SetIterationTime(s);
        Times& best = Best()[name];
        best.wall = std::min(best.wall, s);
        best.cpu = std::min(best.cpu, cpu);
    }
}

void BM_RefreshEx2(benchmark::State& state, const std::string& tree)
{
    Tree& t = Trees().at(tree);
    t.Make();
    // The tree of one run is let go after the clock stops, at the start of the next.
    auto found = std::make_unique<Hollin0106::qvxFoundedFiles>();
    Timed(state, "search " + tree, [&] {
        found->RefreshEx2(FromUtf8(t.root.string()), u"*");
        benchmark::DoNotOptimize(found->Size());
    }, [&] { found = std::make_unique<Hollin0106::qvxFoundedFiles>(); });
    state.counters["entries/s"] = benchmark::Counter(static_cast<double>(t.entries), benchmark::Counter::kIsRate);
}

void BM_Find(benchmark::State& state, const std::string& tree)
{
    Tree& t = Trees().at(tree);
    t.Make();
    const std::string command = "find " + Quote(t.root) + " -printf '%s\\n' >/dev/null";
    Timed(state, "find " + tree, [&] {
        if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
    }, [] {});
    state.counters["entries/s"] = benchmark::Counter(static_cast<double>(t.entries), benchmark::Counter::kIsRate);
}

void Register(const std::string& tree)
{
    benchmark::RegisterBenchmark(("RefreshEx2/" + tree).c_str(), BM_RefreshEx2, tree)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark(("find/" + tree).c_str(), BM_Find, tree)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const fs::path work = fs::temp_directory_path() / ("tagscope-search-bench-" + std::to_string(::getpid()));
    fs::create_directories(work);

    Trees()["local"] = {work / "local", 100000};
    Register("local");

    const fs::path image = work / "ntfs.img", mnt = work / "mnt";
    bool mounted = false;
    if (::geteuid() == 0 && ::access("/dev/fuse", R_OK | W_OK) == 0) {
        fs::create_directories(mnt);
        mounted = Run("truncate -s 256M " + Quote(image) + " && mkntfs -F -q -Q " + Quote(image) + " && ntfs-3g " +
                      Quote(image) + " " + Quote(mnt));
        if (mounted) {
            Trees()["ntfs-3g"] = {mnt / "tree", 20000};
            Register("ntfs-3g");
        }
    }
    if (!mounted) std::fprintf(stderr, "no ntfs-3g volume (needs root and /dev/fuse): local tree only\n");

    benchmark::RunSpecifiedBenchmarks();
    for (const auto& [name, tree] : Trees()) {
        const auto search = Best().find("search " + name), find = Best().find("find " + name);
        if (search == Best().end() || find == Best().end()) continue;
        const Times& a = search->second;
        const Times& b = find->second;
        std::printf("%s, %zu entries: RefreshEx2 %.1f ms (%.0f entries/s), find %.1f ms: ratio %.2f; "
                    "processor time %.1f ms vs %.1f ms: ratio %.2f\n",
                    name.c_str(), tree.entries, a.wall * 1000, static_cast<double>(tree.entries) / a.wall,
                    b.wall * 1000, a.wall / b.wall, a.cpu * 1000, b.cpu * 1000, a.cpu / b.cpu);
    }
    // Memory the found tree holds, names included, per entry.
    for (const auto& [name, tree] : Trees()) {
        if (tree.entries == 0) continue;
        const std::size_t before = ::mallinfo2().uordblks;
        auto found = std::make_unique<Hollin0106::qvxFoundedFiles>();
        found->RefreshEx2(FromUtf8(tree.root.string()), u"*");
        const std::size_t after = ::mallinfo2().uordblks;
        std::printf("%s: %.0f bytes per entry held by the found tree\n", name.c_str(),
                    static_cast<double>(after - before) / static_cast<double>(tree.entries));
    }
    benchmark::Shutdown();
    if (mounted) Run("umount " + Quote(mnt) + " || umount -l " + Quote(mnt));
    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
