// Strings, paths, result objects and exceptions shared by the module's parts.
#include "Bindings.h"

#include <Hollin0106/ReparseHeader.h>

#include <cerrno>
#include <cstring>

#include "report/modRPParse.h"
#include "report/modReparseTags.h"

namespace hollin0106_python {

using namespace Hollin0106;
using namespace py::literals;

namespace {

// The types of hollin0106._types, kept for the life of the process: a reference that
// a static destructor dropped after the interpreter has gone would crash at exit.
py::object* reparsePointType = nullptr;
py::object* errorType = nullptr;
py::object* notAReparsePointType = nullptr;

py::object Steal(PyObject* object)
{
    if (!object) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(object);
}

// os.fspath: the str or bytes of a path-like object; TypeError for anything else.
py::object FsPath(py::handle path)
{
    return Steal(PyOS_FSPath(path.ptr()));
}

std::u16string Utf16Units(py::handle text)
{
    // "surrogatepass" keeps unpaired surrogates as the units they are.
    const py::object bytes = Steal(PyUnicode_AsEncodedString(text.ptr(), "utf-16-le", "surrogatepass"));
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(bytes.ptr(), &data, &size) != 0) throw py::error_already_set();
    std::u16string units(static_cast<std::size_t>(size) / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    return units;
}

void RefuseNul(std::string_view bytes)
{
    if (bytes.find('\0') != std::string_view::npos) throw py::value_error("embedded null byte");
}

std::string_view BytesOf(py::handle bytes)
{
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(bytes.ptr(), &data, &size) != 0) throw py::error_already_set();
    return {data, static_cast<std::size_t>(size)};
}

py::object OptionalStr(bool present, const std::u16string& text)
{
    return present ? py::object(ToStr(text)) : py::object(py::none());
}

}  // namespace

HostPath ToHostPath(py::handle path)
{
    const py::object native = FsPath(path);
    HostPath out;
    if (PyBytes_Check(native.ptr())) {
        const std::string_view bytes = BytesOf(native);
        RefuseNul(bytes);
        // Names are UTF-8 to the library whatever the locale says; an undecodable byte
        // becomes the surrogate that stands for it.
        out.Text = Steal(PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape"));
    } else {
        // Encoding first refuses what no file name can hold (a lone U+D800), as open() does.
        const py::object bytes =
            Steal(PyUnicode_AsEncodedString(native.ptr(), "utf-8", "surrogateescape"));
        RefuseNul(BytesOf(bytes));
        out.Text = py::reinterpret_borrow<py::str>(native);
    }
    out.Name = Utf16Units(out.Text);
    return out;
}

std::u16string ToVolumePath(py::handle path)
{
    py::object native = FsPath(path);
    if (PyBytes_Check(native.ptr())) {
        const std::string_view bytes = BytesOf(native);
        native = Steal(PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape"));
    }
    std::u16string units = Utf16Units(native);
    if (units.find(u'\0') != std::u16string::npos) throw py::value_error("embedded null character");
    return units;
}

py::str ToStr(std::u16string_view text)
{
    int byteOrder = -1;  // little-endian, no byte-order mark expected
    return Steal(PyUnicode_DecodeUTF16(reinterpret_cast<const char*>(text.data()),
                                       static_cast<Py_ssize_t>(text.size() * 2), "surrogatepass", &byteOrder));
}

void LoadPythonTypes()
{
    const py::module_ types = py::module_::import("hollin0106._types");
    reparsePointType = new py::object(types.attr("ReparsePoint"));
    errorType = new py::object(types.attr("Error"));
    notAReparsePointType = new py::object(types.attr("NotAReparsePointError"));
}

py::handle ReparsePointType() { return *reparsePointType; }
py::handle ErrorType() { return *errorType; }
py::handle NotAReparsePointType() { return *notAReparsePointType; }

py::object MakeReparsePoint(py::handle path, const EntryRead& read)
{
    // The same fields, on the same conditions, as the listing's JSON line.
    const auto header = DecodeReparseHeader(read.Data);
    const std::uint32_t tag = header ? header->Tag : read.Tag;
    const bool named = tag == kReparseTagMountPoint || tag == kReparseTagSymlink;
    const bool symlink = tag == kReparseTagSymlink;
    const bool decoded = read.Code == steSuccess;

    py::object flags = py::none();
    if (symlink && header && header->SymlinkFlags) flags = py::int_(*header->SymlinkFlags);
    py::object streams = py::none();
    if (read.Streams) {
        py::list list;
        for (const auto& [name, size] : *read.Streams) list.append(py::make_tuple(ToStr(name), size));
        streams = py::tuple(list);
    }
    const bool failed = !decoded && read.Code != setUnsupportedReparseTag;
    return ReparsePointType()(
        "path"_a = path, "tag"_a = tag,
        "tag_name"_a = ToStr(tag != 0 || header ? modReparseTags::ReparseTagShortName(tag) : std::u16string()),
        "data"_a = py::bytes(reinterpret_cast<const char*>(read.Data.data()), read.Data.size()),
        "substitute_name"_a = OptionalStr(named && (decoded || !read.RawTarget.empty()), read.RawTarget),
        "print_name"_a = OptionalStr(named && decoded, read.PrintName), "flags"_a = flags,
        "target"_a = OptionalStr(!read.Target.empty(), read.Target),
        "relative"_a = symlink && decoded ? py::object(py::bool_(read.Relative)) : py::object(py::none()),
        "record"_a = read.Record ? py::object(py::int_(*read.Record)) : py::object(py::none()),
        "streams"_a = streams, "code"_a = static_cast<std::int32_t>(read.Code),
        "error"_a = OptionalStr(failed, u"Can't read reparse point data" + modRPParse::GetTargetErrorText(read.Code)),
        "detail"_a = OptionalStr(!read.Detail.empty(), read.Detail));
}

void RaiseError(std::optional<std::int32_t> number, std::u16string_view text, py::handle path,
                std::u16string_view detail, py::handle reparsePoint)
{
    const py::object error = ErrorType()(number ? py::object(py::int_(*number)) : py::object(py::none()), ToStr(text),
                                         path, detail.empty() ? py::object(py::none()) : py::object(ToStr(detail)),
                                         reparsePoint);
    PyErr_SetObject(ErrorType().ptr(), error.ptr());
    throw py::error_already_set();
}

void RaiseLibraryError(std::int32_t number, const std::u16string& description)
{
    RaiseError(number, description, py::none());
}

void RaiseOSError(int error, py::handle path)
{
    // OSError(errno, text, name) is itself the subclass Python raises for that errno.
    const py::object text = py::module_::import("os").attr("strerror")(error);
    const py::object exception = py::reinterpret_borrow<py::object>(PyExc_OSError)(error, text, path);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
    throw py::error_already_set();
}

void AskHostToOpen(py::handle path)
{
    const py::module_ os = py::module_::import("os");
    const py::module_ stat = py::module_::import("stat");
    const py::object status = os.attr("stat")(path);
    if (stat.attr("S_ISDIR")(status.attr("st_mode")).cast<bool>()) RaiseOSError(EISDIR, path);
    // Without O_NONBLOCK a FIFO would wait here for a writer.
    const int flags =
        os.attr("O_RDONLY").cast<int>() | os.attr("O_NONBLOCK").cast<int>() | os.attr("O_CLOEXEC").cast<int>();
    os.attr("close")(os.attr("open")(path, flags));
}

namespace {

// Has Python's own functions look at an entry the library could not open or read, so
// that the exception says why as Python says it (PermissionError, ...). Returns when
// they find nothing wrong.
void AskHost(py::handle path, SymlinkTargetError_Const code)
{
    const py::module_ os = py::module_::import("os");
    os.attr("lstat")(path);
    if (code == setDeviceIOControlFailed && py::hasattr(os, "getxattr"))
        os.attr("getxattr")(path, "system.ntfs_reparse_data", "follow_symlinks"_a = false);
}

}  // namespace

py::object ReparsePointOrRaise(py::handle path, const EntryRead& read, bool askHost)
{
    switch (read.Code) {
    case steSuccess:
    case setUnsupportedReparseTag: return MakeReparsePoint(path, read);
    case setFileNotFound: RaiseOSError(ENOENT, path);
    case setNotSymlink: {
        const py::object error = NotAReparsePointType()(ENODATA, "Not a reparse point", path);
        PyErr_SetObject(NotAReparsePointType().ptr(), error.ptr());
        throw py::error_already_set();
    }
    default: break;
    }
    if (askHost && (read.Code == setCreateFileFailed || read.Code == setDeviceIOControlFailed)) AskHost(path, read.Code);
    const std::u16string text = u"Can't read reparse point data" + modRPParse::GetTargetErrorText(read.Code);
    const py::object partial = read.Data.empty() ? py::object(py::none()) : MakeReparsePoint(path, read);
    RaiseError(read.Code, text, path, read.Detail, partial);
}

}  // namespace hollin0106_python
