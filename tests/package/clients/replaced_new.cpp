// A client that replaces the global operator new and delete, as C++ allows. Memory the
// library allocates is freed here and the other way round, so the library must use the
// process's one C++ runtime: a private copy would allocate with its own operator new and
// this program's delete would free a block it never handed out. Each block made here
// carries a mark, and a block without it stops the program with a message.
//
//   replaced_new FOLDER   (writes one file there)
#include <Hollin0106/AutomationError.h>
#include <Hollin0106/qvxFSO.h>
#include <Hollin0106/qvxFileStreams.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

namespace {

constexpr std::uint64_t kMark = 0x5461677363706521;  // in front of every block made here
constexpr std::size_t kHeader = 16;                   // keeps the block's alignment
std::size_t g_allocations = 0;

void* Allocate(std::size_t size)
{
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) throw std::bad_alloc();
    *reinterpret_cast<std::uint64_t*>(block) = kMark;
    ++g_allocations;
    return block + kHeader;
}

void Release(void* pointer) noexcept
{
    if (pointer == nullptr) return;
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    if (*reinterpret_cast<std::uint64_t*>(block) != kMark) {
        std::fputs("replaced_new: operator delete got a block this program's operator new did not make\n", stderr);
        std::_Exit(3);
    }
    *reinterpret_cast<std::uint64_t*>(block) = 0;
    std::free(block);
}

int Fail(const char* what)
{
    std::fprintf(stderr, "replaced_new: %s\n", what);
    return 1;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Release(pointer); }

int main(int argc, char** argv)
{
    if (argc != 2) return Fail("usage: replaced_new FOLDER");
    using namespace Hollin0106;
    // An error raised inside the library, caught and destroyed here: its texts were
    // allocated there.
    const std::size_t before = g_allocations;
    try {
        qvxFileStreams().Item(-1);
        return Fail("Item(-1) raised no error");
    } catch (const AutomationError& e) {
        if (e.Number != errnum::SubscriptOutOfRange) return Fail("Item(-1) raised another error than 9");
    }
    if (g_allocations == before) return Fail("the library's allocations do not reach this program's operator new");
    // Strings handed in and out of the library.
    qvxFSO fso;
    const std::u16string file = (std::filesystem::path(argv[1]) / "note.txt").u16string();
    const std::u16string text = u"Grüße, Привет, 𝄞";
    if (!fso.PutFile2(file, text, true, feUTF16, fbBOM) || fso.GetFile2(file, true) != text)
        return Fail("GetFile2 did not give back what PutFile2 wrote");
    std::puts("ok");
    return 0;
}
