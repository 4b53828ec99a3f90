// The Python module hollin0106._hollin0106: what the package hollin0106 exposes of the
// library Hollin0106.
#include "Bindings.h"

PYBIND11_MODULE(_hollin0106, m)
{
    namespace binding = hollin0106_python;
    // Every docstring begins with the signature in Python's own terms.
    pybind11::options options;
    options.disable_function_signatures();
    m.doc() = "NTFS reparse points, NTFS images and version resources, read by the library Hollin0106.";
    m.attr("__version__") = TAGSCOPE_VERSION;
    binding::LoadPythonTypes();
    binding::AddReparseFunctions(m);
    binding::AddNtfsImage(m);
    binding::AddFileVersion(m);
}
