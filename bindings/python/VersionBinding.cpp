// FileVersion: the version resource of a Windows program or library (PE or NE).
#include "Bindings.h"

#include <Hollin0106/qvxFileVersion.h>

namespace hollin0106_python {

using namespace Hollin0106;

namespace {

class PythonFileVersion {
public:
    explicit PythonFileVersion(const py::object& path)
    {
        const HostPath host = ToHostPath(path);
        path_ = host.Text;
        if (WithoutGil([&] { return version_.ReadFile(host.Name); })) return;
        AskHostToOpen(path_);
        RaiseError(std::nullopt, u"no version resource with fixed file information and a translation table", path_);
    }

    const qvxFileVersion& Version() const { return version_; }
    const py::str& Path() const { return path_; }

private:
    qvxFileVersion version_;
    py::str path_;
};

template <auto Getter>
std::int64_t Number(const PythonFileVersion& v)
{
    return static_cast<std::int64_t>((v.Version().*Getter)());
}

template <auto Getter>
bool Flag(const PythonFileVersion& v)
{
    return (v.Version().*Getter)();
}

// A string value of the first translation; None when the resource has no such value.
template <auto Getter>
py::object String(const PythonFileVersion& v)
{
    bool exists = false;
    const std::u16string text = (v.Version().*Getter)(&exists);
    return exists ? py::object(ToStr(text)) : py::object(py::none());
}

template <auto Major, auto Minor, auto RevisionMajor, auto RevisionMinor>
py::tuple Version(const PythonFileVersion& v)
{
    return py::make_tuple(Number<Major>(v), Number<Minor>(v), Number<RevisionMajor>(v), Number<RevisionMinor>(v));
}

}  // namespace

void AddFileVersion(py::module_& m)
{
    using V = qvxFileVersion;
    py::class_<PythonFileVersion> c(m, "FileVersion", R"(FileVersion(path)

The version resource of a Windows program or library (PE32, PE32+ or NE), read as
Windows' version functions read it: the fixed file information, the first
translation with its language's name, and that translation's standard strings
(None for a value the resource does not hold).

    v = hollin0106.FileVersion("setup.exe")
    print(v.file_version, v.str_company_name, v.translation_language_name)

Raises FileNotFoundError, PermissionError or IsADirectoryError as open() does, and
hollin0106.Error (number None) for a file without a readable version resource.)");
    c.def(py::init<const py::object&>(), py::arg("path"))
        .def_property_readonly("path", &PythonFileVersion::Path, "The file's name as given.")
        .def_property_readonly(
            "info_buffer",
            [](const PythonFileVersion& v) {
                const ByteArray bytes = v.Version().InfoBuffer();
                return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            },
            "The raw version information block.")
        .def_property_readonly("file_version",
                               &Version<&V::FileVerMajor, &V::FileVerMinor, &V::FileVerRevisionMajor,
                                        &V::FileVerRevisionMinor>,
                               "(major, minor, revision major, revision minor) of the file version.")
        .def_property_readonly("product_version",
                               &Version<&V::ProductVerMajor, &V::ProductVerMinor, &V::ProductVerRevisionMajor,
                                        &V::ProductVerRevisionMinor>,
                               "(major, minor, revision major, revision minor) of the product version.")
        .def_static(
            "get_language_name", [](std::uint16_t id) { return ToStr(qvxFileVersion().GetLanguageName(id)); },
            py::arg("language_id"),
            "get_language_name(language_id) -> str\n\nThe English name of a Windows language identifier: 0x0409 gives\n"
            "'English (United States)'.");

    // The fields of the fixed file information, unchanged (also values outside the
    // enumerations), and the six flags, each set when set in both the flags and the mask.
    c.def_property_readonly("signature", &Number<&V::Signature>)
        .def_property_readonly("struc_ver_major", &Number<&V::StrucVerMajor>)
        .def_property_readonly("struc_ver_minor", &Number<&V::StrucVerMinor>)
        .def_property_readonly("file_ver_major", &Number<&V::FileVerMajor>)
        .def_property_readonly("file_ver_minor", &Number<&V::FileVerMinor>)
        .def_property_readonly("file_ver_revision_major", &Number<&V::FileVerRevisionMajor>)
        .def_property_readonly("file_ver_revision_minor", &Number<&V::FileVerRevisionMinor>)
        .def_property_readonly("product_ver_major", &Number<&V::ProductVerMajor>)
        .def_property_readonly("product_ver_minor", &Number<&V::ProductVerMinor>)
        .def_property_readonly("product_ver_revision_major", &Number<&V::ProductVerRevisionMajor>)
        .def_property_readonly("product_ver_revision_minor", &Number<&V::ProductVerRevisionMinor>)
        .def_property_readonly("file_flags_mask", &Number<&V::FileFlagsMask>)
        .def_property_readonly("file_flags", &Number<&V::FileFlags>)
        .def_property_readonly("file_os", &Number<&V::FileOS>)
        .def_property_readonly("file_type", &Number<&V::FileType>)
        .def_property_readonly("file_subtype", &Number<&V::FileSubType>)
        .def_property_readonly("file_date_ms", &Number<&V::FileDateMS>)
        .def_property_readonly("file_date_ls", &Number<&V::FileDateLS>)
        .def_property_readonly("file_flag_debug", &Flag<&V::FileFlagDebug>)
        .def_property_readonly("file_flag_pre_release", &Flag<&V::FileFlagPreRelease>)
        .def_property_readonly("file_flag_patched", &Flag<&V::FileFlagPatched>)
        .def_property_readonly("file_flag_private_build", &Flag<&V::FileFlagPrivateBuild>)
        .def_property_readonly("file_flag_info_inferred", &Flag<&V::FileFlagInfoInferred>)
        .def_property_readonly("file_flag_special_build", &Flag<&V::FileFlagSpecialBuild>)
        .def_property_readonly("translation_language_id", &Number<&V::TranslationLanguageID>)
        .def_property_readonly("translation_charset", &Number<&V::TranslationCharset>)
        .def_property_readonly("translation_language_name",
                               [](const PythonFileVersion& v) { return ToStr(v.Version().TranslationLanguageName()); });

    c.def_property_readonly("str_comments", &String<&V::StrComments>)
        .def_property_readonly("str_company_name", &String<&V::StrCompanyName>)
        .def_property_readonly("str_file_description", &String<&V::StrFileDescription>)
        .def_property_readonly("str_file_version", &String<&V::StrFileVersion>)
        .def_property_readonly("str_internal_name", &String<&V::StrInternalName>)
        .def_property_readonly("str_legal_copyright", &String<&V::StrLegalCopyright>)
        .def_property_readonly("str_legal_trademarks", &String<&V::StrLegalTrademarks>)
        .def_property_readonly("str_ole_self_register", &String<&V::StrOLESelfRegister>)
        .def_property_readonly("str_original_filename", &String<&V::StrOriginalFilename>)
        .def_property_readonly("str_private_build", &String<&V::StrPrivateBuild>)
        .def_property_readonly("str_product_name", &String<&V::StrProductName>)
        .def_property_readonly("str_product_version", &String<&V::StrProductVersion>)
        .def_property_readonly("str_special_build", &String<&V::StrSpecialBuild>)
        .def("__repr__", [](const PythonFileVersion& v) {
            return "<hollin0106.FileVersion " + py::repr(v.Path()).cast<std::string>() + " " +
                   py::str(Version<&V::FileVerMajor, &V::FileVerMinor, &V::FileVerRevisionMajor,
                                   &V::FileVerRevisionMinor>(v))
                       .cast<std::string>() +
                   ">";
        });
}

}  // namespace hollin0106_python
