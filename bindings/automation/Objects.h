// The automation objects of Hollin0106.dll: one thin adapter per public class, holding
// the C++ object and forwarding each member. Every function here hands out a new object
// with one reference.
#pragma once

#include <memory>
#include <vector>

// The generated header gives string defaults as literals for BSTR parameters.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wwrite-strings"
#include "Hollin0106_h.h"
#pragma GCC diagnostic pop

#include <Hollin0106/Collection.h>
#include <Hollin0106/qvxFileStreams.h>
#include <Hollin0106/qvxFoundedFiles.h>

namespace automation {

// The classes a client may create (DllGetClassObject, registration), in the order of
// their registration.
struct CreatableClass {
    const CLSID* clsid;
    const wchar_t* name;  // the ProgID is "Hollin0106." + name
    IDispatch* (*create)();
};
const std::vector<CreatableClass>& CreatableClasses();

IDispatch* NewFSO();
IDispatch* NewDescriptIon();
IDispatch* NewFileStreams();
IDispatch* NewFoundedFiles();
IDispatch* NewFindFilesCallback();
IDispatch* NewFileVersion();
IDispatch* NewShellFileInfo();

_Collection* WrapCollection(std::shared_ptr<Hollin0106::Collection> list);
_FileStream* WrapFileStream(std::shared_ptr<Hollin0106::FileStream> stream);
_FoundedFile* WrapFoundedFile(std::shared_ptr<Hollin0106::FoundedFile> file);
_qvxFoundedFiles* WrapFoundedFiles(std::shared_ptr<Hollin0106::qvxFoundedFiles> files);

// An IEnumVARIANT over `items` (taken over: the enumerator clears them), yielding them in
// order (For Each).
IUnknown* NewEnumerator(std::vector<VARIANT> items);

// A VARIANT holding an object (its reference taken over).
VARIANT DispatchVariant(IDispatch* object);

}  // namespace automation
