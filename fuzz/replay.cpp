// The main of a fuzz target built without libFuzzer: runs the target once on every file
// named on the command line (folders: every file below them), so that the stored
// regressions and seeds are checked in every test build, whatever its compiler.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Optional, as with libFuzzer: a target that defines it is set up once before the inputs.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool Replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
        return false;
    }
    // An empty input still comes with a valid pointer, as libFuzzer gives it.
    static const std::uint8_t none = 0;
    LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
    return true;
}

}  // namespace

// Exit status 0 when every input ran (a broken promise aborts), 1 when one could not be
// read, 2 when there was none at all: a replay of nothing checks nothing.
int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
    std::size_t count = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) continue;  // a regression folder not made yet
        if (std::filesystem::is_directory(path, ec)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (!entry.is_regular_file()) continue;
                ok = Replay(entry.path()) && ok;
                ++count;
            }
        } else {
            ok = Replay(path) && ok;
            ++count;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    if (!ok) return 1;
    return count == 0 ? 2 : 0;
}
