// A client of the shell-information library alone: it names no class of libHollin0106,
// so a link with `-lHollin0106Shell` (and --as-needed) records only that library, which
// must bring libHollin0106 itself.
//
//   shell_client FILE   (prints the file's type name)
#include <Hollin0106/qvxShellFileInfo.h>

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    Hollin0106::qvxShellFileInfo info;
    if (argc != 2 || !info.ReadFile(std::filesystem::path(argv[1]).u16string()) || info.TypeName().empty()) {
        std::fputs("shell_client FILE: no shell information\n", stderr);
        return 1;
    }
    std::printf("%s\n", std::filesystem::path(info.TypeName()).string().c_str());
    return 0;
}
