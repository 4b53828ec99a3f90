// The fuzz targets' main outside libFuzzer: every file named, or found under a folder named,
// run once. Exit 0 when all ran (a broken promise aborts), 2 when there was none at all.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
    namespace fs = std::filesystem;
    std::size_t count = 0;
    const auto replay = [&](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        static const std::uint8_t none = 0;  // an empty input still comes with a valid pointer
        LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
        ++count;
    };
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;  // a regression folder not made yet holds nothing
        for (const auto& entry : fs::recursive_directory_iterator(argv[i], ec))
            if (entry.is_regular_file()) replay(entry.path());
        if (fs::is_regular_file(argv[i], ec)) replay(argv[i]);
    }
    std::printf("replayed %zu inputs\n", count);
    return count == 0 ? 2 : 0;
}
