// What the parts of the hollin0106 Python module share: conversions between Python's
// strings and paths and the library's UTF-16, the Python types the results are made of,
// and the raising of the library's outcomes as Python exceptions.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <Hollin0106/AutomationError.h>
#include <Hollin0106/qvxTypes.h>

namespace hollin0106_python {

namespace py = pybind11;

// ---- Strings and paths --------------------------------------------------------------

// A path of the host (str, bytes or os.PathLike) as the library takes it. Bytes are the
// name itself; a str is encoded as Python's file functions encode it (UTF-8, with
// undecodable bytes carried as the surrogates U+DC80..U+DCFF), so a name that os.fsdecode
// gave reaches its own file. The library carries those surrogates back as the bytes
// they stand for. Raises TypeError for another type, UnicodeEncodeError for a str that
// no file name can hold, ValueError for an embedded NUL, as open() does.
struct HostPath {
    std::u16string Name;  // for the library
    py::str Text;         // for Python: what os.fsdecode gives for it
};
HostPath ToHostPath(py::handle path);

// A path inside an NTFS volume (str, bytes or os.PathLike): NTFS names are UTF-16, so a
// str passes unit for unit, an unpaired surrogate included. ValueError for an embedded NUL.
std::u16string ToVolumePath(py::handle path);

// UTF-16 units as a str; unpaired surrogates stay as they are (an NTFS name may hold
// them, and a host name's U+DC80..U+DCFF are its undecodable bytes).
py::str ToStr(std::u16string_view text);

// ---- The module's Python types ------------------------------------------------------

// ReparsePoint, Error and NotAReparsePointError, defined in Python (hollin0106._types);
// looked up once when the module is imported.
void LoadPythonTypes();
py::handle ReparsePointType();
py::handle ErrorType();
py::handle NotAReparsePointType();

// What one read of an entry gave, from a mounted volume or an image.
struct EntryRead {
    Hollin0106::SymlinkTargetError_Const Code = Hollin0106::steSuccess;
    std::uint32_t Tag = 0;  // the buffer's, else what the volume's index says
    std::vector<std::uint8_t> Data;
    std::u16string RawTarget;
    std::u16string PrintName;
    std::u16string Target;
    bool Relative = false;
    std::u16string Detail;
    std::optional<std::uint64_t> Record;
    std::optional<std::vector<std::pair<std::u16string, std::uint64_t>>> Streams;
};

// The ReparsePoint of `read` under the name `path`.
py::object MakeReparsePoint(py::handle path, const EntryRead& read);

// The ReparsePoint for a read that succeeded (codes 0 and 3), else raises the exception
// of its code: FileNotFoundError (4), NotAReparsePointError (6), Error (damaged or
// unreadable). With `askHost`, an entry of the host that could not be opened or read
// (codes 1 and 2) first has Python's own file functions raise the system's reason
// (PermissionError, ...), and is an Error only when they find none.
py::object ReparsePointOrRaise(py::handle path, const EntryRead& read, bool askHost);

// Raises hollin0106.Error.
[[noreturn]] void RaiseError(std::optional<std::int32_t> number, std::u16string_view text, py::handle path,
                             std::u16string_view detail = {}, py::handle reparsePoint = py::none());

// Raises the OSError subclass that Python itself raises for `error` (an errno value),
// with Python's own text for it and the file name.
[[noreturn]] void RaiseOSError(int error, py::handle path);

// Has Python's own functions open the file `path` for reading, so that a file the
// library could not read raises the system's reason as Python gives it
// (FileNotFoundError, PermissionError, IsADirectoryError, ...). Returns when it opens.
void AskHostToOpen(py::handle path);

// Runs `work` with the GIL released and turns the library's exceptions into Python's
// (AutomationError into hollin0106.Error with its number and description; pybind11
// turns the standard ones into MemoryError, ValueError, RuntimeError, ...); the result
// of `work` comes back.
template <typename Work>
auto WithoutGil(Work&& work) -> decltype(work());

// ---- The module's parts ----------------------------------------------------------------

void AddReparseFunctions(py::module_& m);
void AddNtfsImage(py::module_& m);
void AddFileVersion(py::module_& m);

// ---- Implementation ---------------------------------------------------------------------

// Raises the library's exception as hollin0106.Error; needs the GIL.
[[noreturn]] void RaiseLibraryError(std::int32_t number, const std::u16string& description);

template <typename Work>
auto WithoutGil(Work&& work) -> decltype(work())
{
    // The library raises AutomationError for an argument it refuses or a support call
    // that fails; no C++ exception may reach Python unconverted.
    std::optional<std::pair<std::int32_t, std::u16string>> failure;
    {
        py::gil_scoped_release released;
        try {
            return work();
        } catch (const Hollin0106::AutomationError& e) {
            failure.emplace(e.Number, e.Description);
        }
    }
    RaiseLibraryError(failure->first, failure->second);
}

}  // namespace hollin0106_python
