// read_reparse_point and report: one entry of the host's file system.
#include "Bindings.h"

#include <Hollin0106/Variant.h>
#include <Hollin0106/qvxFSO.h>

#include "report/modRPParse.h"

namespace hollin0106_python {

using namespace Hollin0106;

namespace {

EntryRead ReadHostEntry(const std::u16string& path)
{
    EntryRead read;
    std::int32_t tag = 0;
    qvxFSO fso;
    Variant buffer = Variant::RefTo(read.Data);
    read.Target = fso.GetSymlinkTargetEx(path, &read.RawTarget, &read.PrintName, &tag, &read.Relative, &buffer,
                                         &read.Code);
    read.Tag = static_cast<std::uint32_t>(tag);
    return read;
}

py::object ReadReparsePoint(const py::object& path)
{
    const HostPath host = ToHostPath(path);
    const EntryRead read = WithoutGil([&] { return ReadHostEntry(host.Name); });
    return ReparsePointOrRaise(host.Text, read, true);
}

// The text as TagscopeC writes it: LF line ends, and every unpaired surrogate (an
// undecodable byte of a name among them) as U+FFFD, as its UTF-8 output shows it.
py::str ConsoleText(std::u16string text)
{
    std::u16string lf;
    lf.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')) lf.push_back(text[i]);
    int byteOrder = -1;
    const auto* bytes = reinterpret_cast<const char*>(lf.data());
    PyObject* str = PyUnicode_DecodeUTF16(bytes, static_cast<Py_ssize_t>(lf.size() * 2), "replace", &byteOrder);
    if (!str) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(str);
}

py::str Report(const py::object& path)
{
    const HostPath host = ToHostPath(path);
    std::u16string text = WithoutGil([&] {
        std::u16string report;
        std::vector<std::uint8_t> data;
        modRPParse::BuildReparseReport(modRPParse::Frontend::Console, host.Name, [](const std::u16string&) {},
                                       report, data);
        return report;
    });
    return ConsoleText(std::move(text));
}

}  // namespace

void AddReparseFunctions(py::module_& m)
{
    m.def("read_reparse_point", &ReadReparsePoint, py::arg("path"),
          R"(read_reparse_point(path) -> ReparsePoint

The reparse point of the entry ``path`` (str, bytes or os.PathLike) of a mounted
NTFS volume, read without following it, also when its target does not exist.
Undecodable bytes of a name pass as Python's own file functions pass them.

Raises FileNotFoundError when nothing has that name, NotAReparsePointError when the
entry carries no reparse point (every entry off NTFS), PermissionError (or the
OSError the system gives) when it cannot be looked at, and hollin0106.Error with the
result code and its text for a damaged buffer (its bytes in ``reparse_point``).)");
    m.def("report", &Report, py::arg("path"),
          R"(report(path) -> str

The report on ``path`` exactly as TagscopeC prints it, without its last line
break: the full file name, the tag with its name and flag bits, the header fields,
the names and flags, a dump of every byte and the total size; or the one line that
says why nothing could be read ("Can't read reparse point data: not a reparse
point."). Never raises for what the entry holds: ``print(report(path))`` writes what
``TagscopeC path`` writes.)");
}

}  // namespace hollin0106_python
