// NtfsImage: the reparse points of an NTFS volume in an image file or on a block device,
// read without mounting it.
#include "Bindings.h"

#include <Hollin0106/NtfsImage.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>

namespace hollin0106_python {

using namespace Hollin0106;
using namespace py::literals;

namespace {

EntryRead FromImage(NtfsReparseEntry&& e)
{
    EntryRead read;
    read.Code = e.Code;
    read.Tag = e.Tag;
    read.Data = std::move(e.Data);
    read.RawTarget = std::move(e.RawTarget);
    read.PrintName = std::move(e.PrintName);
    read.Target = std::move(e.Target);
    read.Relative = e.Relative;
    read.Detail = std::move(e.ErrorDetail);
    read.Record = e.RecordNumber;
    read.Streams.emplace();
    for (NtfsStream& s : e.Streams) read.Streams->emplace_back(std::move(s.Name), s.Size);
    return read;
}

// An image that cannot be opened: the system's own reason as Python's file functions
// give it (FileNotFoundError, PermissionError, IsADirectoryError, ...) when it is one,
// else hollin0106.Error with the library's number and text.
[[noreturn]] void RaiseOpenError(py::handle path, std::int32_t number, const std::u16string& description)
{
    AskHostToOpen(path);
    if (number == errnum::FileNotFound || number == errnum::PathNotFound) RaiseOSError(ENOENT, path);
    if (number == errnum::DeviceIOError) RaiseOSError(EIO, path);
    RaiseError(number, description, path);
}

// The listing, one entry at a time. Next() is for one thread at a time: the lock keeps
// two Python threads that share the iterator apart while neither holds the GIL.
class ReparsePointIterator {
public:
    explicit ReparsePointIterator(NtfsReparseScan scan) : scan_(std::move(scan)) {}

    py::object Next()
    {
        NtfsReparseEntry entry;
        bool found = false;
        bool interrupted = false;
        {
            py::gil_scoped_release released;
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!finished_) {
                // A scan of a large MFT may run long between two entries: Ctrl-C is
                // looked for now and then, and stops it.
                auto lastLook = std::chrono::steady_clock::now();
                found = scan_.Next(entry, [&] {
                    const auto now = std::chrono::steady_clock::now();
                    if (now - lastLook < std::chrono::milliseconds(100)) return;
                    lastLook = now;
                    const py::gil_scoped_acquire acquired;
                    if (PyErr_CheckSignals() != 0) {
                        interrupted = true;
                        scan_.Cancel();
                    }
                });
                finished_ = !found;
            }
        }
        if (interrupted) throw py::error_already_set();  // the signal handler's exception
        if (!found) throw py::stop_iteration();
        const py::str path = ToStr(entry.Path);
        return MakeReparsePoint(path, FromImage(std::move(entry)));
    }

    // Progress of the listing: work done and work to do.
    std::pair<std::uint64_t, std::uint64_t> Progress() const { return {scan_.Done(), scan_.Total()}; }

private:
    NtfsReparseScan scan_;
    std::mutex mutex_;
    bool finished_ = false;
};

class PythonNtfsImage {
public:
    PythonNtfsImage(const py::object& path, const py::object& partition)
    {
        const HostPath host = ToHostPath(path);
        path_ = host.Text;
        std::int32_t number = 0;
        if (!partition.is_none()) {
            const py::int_ index = py::reinterpret_steal<py::int_>(PyNumber_Index(partition.ptr()));
            if (!index) throw py::error_already_set();
            if (index < py::int_(1) || index > py::int_(INT32_MAX))
                throw py::value_error("partition: a number from 1 up, or None for the first NTFS partition");
            number = index.cast<std::int32_t>();
        }
        auto image = std::make_shared<NtfsImage>();
        const bool opened = WithoutGil([&] { return image->Open(host.Name, number); });
        if (!opened) RaiseOpenError(path_, image->ErrorNumber(), image->ErrorDescription());
        partition_ = image->Volume().Partition;
        image_ = std::move(image);
    }

    void Close() { image_.reset(); }
    bool Closed() const { return image_ == nullptr; }
    const py::str& Path() const { return path_; }
    std::int32_t Partition() const { return partition_; }

    std::unique_ptr<ReparsePointIterator> ReparsePoints() const
    {
        const std::shared_ptr<NtfsImage> image = Open();
        return std::make_unique<ReparsePointIterator>(WithoutGil([&] { return image->ScanReparsePoints(); }));
    }

    py::object ReadReparsePoint(const py::object& volumePath) const
    {
        const std::u16string name = ToVolumePath(volumePath);
        // The image stays alive while it is read, even when another thread closes it.
        const std::shared_ptr<NtfsImage> image = Open();
        NtfsReparseEntry entry = WithoutGil([&] { return image->ReadEntry(name); });
        const py::str path = ToStr(entry.Path);
        return ReparsePointOrRaise(path, FromImage(std::move(entry)), false);
    }

    std::string Repr() const
    {
        const std::string state = Closed() ? "closed " : "";
        const std::string partition = partition_ > 0 ? ", partition=" + std::to_string(partition_) : "";
        return "<" + state + "hollin0106.NtfsImage " + py::repr(path_).cast<std::string>() + partition + ">";
    }

private:
    std::shared_ptr<NtfsImage> Open() const
    {
        if (!image_) throw py::value_error("I/O operation on a closed NtfsImage");
        return image_;
    }

    std::shared_ptr<NtfsImage> image_;
    py::str path_;
    std::int32_t partition_ = 0;
};

}  // namespace

void AddNtfsImage(py::module_& m)
{
    py::class_<ReparsePointIterator>(m, "ReparsePointIterator",
                                     "The reparse points of an NtfsImage, read as the iteration asks for them.")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", &ReparsePointIterator::Next)
        .def_property_readonly("progress", &ReparsePointIterator::Progress,
                               "(done, total): index keys or MFT records read so far, out of all.");

    py::class_<PythonNtfsImage>(m, "NtfsImage", R"(NtfsImage(path, partition=None)

The NTFS volume of an image file or block device, read without mounting it. The
image is opened read-only and never written to: read permission is all it takes.
It may hold the volume alone, or a whole disk with an MBR or GPT partition table:
``partition`` None reads the first NTFS partition, N the N-th of the table
(1-based, a logical partition in the place of its extended one).

    with hollin0106.NtfsImage("disk.img") as image:
        for point in image.reparse_points():
            print(point.path, point.tag_name, point.target)
        one = image.read_reparse_point("/Users/All Users")

Raises FileNotFoundError, PermissionError or IsADirectoryError as open() does,
ValueError for a partition number below 1, and hollin0106.Error with the library's
number and text for an image without an NTFS volume (321) or without that partition
(9).)")
        .def(py::init<const py::object&, const py::object&>(), py::arg("path"), py::arg("partition") = py::none())
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](PythonNtfsImage& self, py::args) { self.Close(); return false; })
        .def("close", &PythonNtfsImage::Close,
             "close() -> None\n\nCloses the image. A listing begun before goes on to its end; anything else\n"
             "raises ValueError.")
        .def_property_readonly("closed", &PythonNtfsImage::Closed)
        .def_property_readonly("path", &PythonNtfsImage::Path, "The image's name as given.")
        .def_property_readonly("partition", &PythonNtfsImage::Partition,
                               "The partition that holds the volume (1-based), 0 for an image of the volume alone.")
        .def("reparse_points", &PythonNtfsImage::ReparsePoints, R"(reparse_points() -> Iterator[ReparsePoint]

Every reparse point of the volume, read entry by entry as the iteration goes on:
from the volume's $Extend\$Reparse index, or a scan of the whole MFT when that is
damaged. A file with several hard links comes once per name. A damaged entry comes
too, with its ``code``, ``error`` and ``detail``, and the listing goes on.)")
        .def("read_reparse_point", &PythonNtfsImage::ReadReparsePoint, py::arg("volume_path"),
             R"(read_reparse_point(volume_path) -> ReparsePoint

The entry ``volume_path`` inside the volume ("/" or "\" separators; names compared
as Windows compares them; a DOS 8.3 name finds its file). Its ``data`` are the bytes
a mount of the volume gives for it. Raises FileNotFoundError, NotAReparsePointError,
and hollin0106.Error for a damaged record or buffer (with its ``detail``).)")
        .def("__repr__", &PythonNtfsImage::Repr);
}

}  // namespace hollin0106_python
