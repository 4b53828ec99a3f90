// qvxFSO: the file-system object of the library Hollin0106: whole text and byte files,
// zone identifiers, descriptions, list files, compression, recycling, file times and
// reparse points. Expected problems are results (False, an empty value, a
// result code); with RaiseErrors true, or for a wrong argument, a method raises
// AutomationError with the classic run-time number and the source "qvxFSO".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <Hollin0106/Variant.h>
#include <Hollin0106/Collection.h>
#include <Hollin0106/qvxTypes.h>
#include <Hollin0106/Export.h>

namespace Hollin0106 {

class HOLLIN0106_API qvxFSO {
public:
    qvxFSO() = default;

    // ---- Text and byte files ------------------------------------------------------

    // Text methods. Texts are stored by the rules of FileEncoding_Const, FileBOM_Const and
    // InvertBytes_Const. Every typed method first checks Encoding (0..3), FileBOM (0..2)
    // and InvertBytes (0..2) and raises error 5 for the first one outside its range,
    // whatever RaiseErrors says, before touching any file; the ...ByVar forms raise
    // error 13 for a variant that cannot be converted, likewise. Failures of the file
    // work give the failure result, or with RaiseErrors true the error of the byte
    // method (number, source "qvxFSO", description) unchanged. Reading big-endian
    // UTF-16 of an odd length raises error 9 whatever RaiseErrors says.

    // Writes `Data` as the whole new content of `FileName` (created, or cut to
    // length 0 first). Auto values become feANSI, fbBOM, ibDontInvertBytes. A hidden or
    // system file stays hidden or system. True when written.
    bool PutFile2(const std::u16string& FileName, const std::u16string& Data, bool RaiseErrors = false,
                  FileEncoding_Const Encoding = feANSI, FileBOM_Const FileBOM = fbBOM,
                  InvertBytes_Const InvertBytes = ibDontInvertBytes);

    // Variant form of GetFileFormat2: FileName to a string, RaiseErrors to a
    // Boolean (omitted: False), the three outputs' current values to 32-bit integers
    // (omitted: 0); the outputs get the results back as 32-bit integers. Returns a
    // Boolean variant.
    Variant GetFileFormat2ByVar(const Variant& FileName, const Variant& RaiseErrors = Variant::Missing(),
                                Variant* lpEncoding = nullptr, Variant* lpFileBOM = nullptr,
                                Variant* lpInvertBytes = nullptr);

    // Detects the format of an existing file from its first three bytes: FF FE
    // little-endian UTF-16 with mark, FE FF big-endian UTF-16 with mark, EF BB BF UTF-8
    // with mark, anything else ANSI without mark. True with the three outputs set;
    // False (outputs untouched) when the file is missing (error 53) or cannot be read.
    bool GetFileFormat2(const std::u16string& FileName, bool RaiseErrors = false,
                        FileEncoding_Const* lpEncoding = nullptr, FileBOM_Const* lpFileBOM = nullptr,
                        InvertBytes_Const* lpInvertBytes = nullptr);

    // Variant form of OverwriteFile2; omitted arguments take OverwriteFile2's
    // defaults. Returns a Boolean variant.
    Variant OverwriteFile2ByVar(const Variant& FileName, const Variant& Data,
                                const Variant& RaiseErrors = Variant::Missing(),
                                const Variant& Encoding = Variant::Missing(),
                                const Variant& FileBOM = Variant::Missing(),
                                const Variant& InvertBytes = Variant::Missing());

    // As PutFile2, but an existing file is truncated in place (OverwriteFileB):
    // it keeps its identity, links and attributes.
    bool OverwriteFile2(const std::u16string& FileName, const std::u16string& Data, bool RaiseErrors = false,
                        FileEncoding_Const Encoding = feANSI, FileBOM_Const FileBOM = fbBOM,
                        InvertBytes_Const InvertBytes = ibDontInvertBytes);

    // Variant form of AppendFile2 (omitted arguments 0, RaiseErrors False); the
    // three outputs get the resolved format as 32-bit integers. Returns a Boolean variant.
    Variant AppendFile2ByVar(const Variant& FileName, const Variant& Data,
                             const Variant& RaiseErrors = Variant::Missing(),
                             const Variant& Encoding = Variant::Missing(),
                             const Variant& FileBOM = Variant::Missing(),
                             const Variant& InvertBytes = Variant::Missing(), Variant* lpEncoding = nullptr,
                             Variant* lpFileBOM = nullptr, Variant* lpInvertBytes = nullptr);

    // Adds `Data` at the end of `FileName`. For an existing file every Auto
    // argument takes the detected value of its kind, and a non-empty file gets no second
    // mark; a missing file is created with Auto resolved to feANSI, fbBOM,
    // ibDontInvertBytes. The outputs get the resolved format (the mark as resolved, even
    // when it was not written). False, with nothing written, when the file cannot be
    // read or written.
    bool AppendFile2(const std::u16string& FileName, const std::u16string& Data, bool RaiseErrors = false,
                     FileEncoding_Const Encoding = feAuto, FileBOM_Const FileBOM = fbAuto,
                     InvertBytes_Const InvertBytes = ibAuto, FileEncoding_Const* lpEncoding = nullptr,
                     FileBOM_Const* lpFileBOM = nullptr, InvertBytes_Const* lpInvertBytes = nullptr);

    // Variant form of GetFile2 (omitted arguments 0, RaiseErrors and lpSuccess
    // False); the outputs get the resolved format as 32-bit integers and lpSuccess as a
    // Boolean. Returns the text in a string variant.
    Variant GetFile2ByVar(const std::u16string& FileName, const Variant& RaiseErrors = Variant::Missing(),
                          const Variant& Encoding = Variant::Missing(),
                          const Variant& FileBOM = Variant::Missing(),
                          const Variant& InvertBytes = Variant::Missing(), Variant* lpEncoding = nullptr,
                          Variant* lpFileBOM = nullptr, Variant* lpInvertBytes = nullptr,
                          Variant* lpSuccess = nullptr);

    // Reads the whole file as text. Every Auto argument takes the detected value
    // of its kind; the outputs get the resolved format. A given mark is dropped by
    // position (three bytes of UTF-8, one UTF-16 unit) without being checked. Returns ""
    // with lpSuccess false (outputs untouched) when the file is missing or unreadable.
    std::u16string GetFile2(const std::u16string& FileName, bool RaiseErrors = false,
                            FileEncoding_Const Encoding = feAuto, FileBOM_Const FileBOM = fbAuto,
                            InvertBytes_Const InvertBytes = ibAuto, FileEncoding_Const* lpEncoding = nullptr,
                            FileBOM_Const* lpFileBOM = nullptr, InvertBytes_Const* lpInvertBytes = nullptr,
                            bool* lpSuccess = nullptr);

    // Byte methods. Failures of the file work (missing file 53, no access 75, missing
    // folder 76, disk full 61, ...) give False / an empty array with lpSuccess false, or
    // with RaiseErrors true an AutomationError with source "qvxFSO". A file is never
    // left open. An empty Data writes nothing and counts as success.

    // The whole content of an existing file (empty for an empty file). Never
    // creates a file.
    ByteArray GetFileB(const std::u16string& FileName, bool RaiseErrors = false, bool* lpSuccess = nullptr);

    // Writes `Data` as the whole new content of `FileName`, creating it or
    // cutting it to length 0 first. Hidden and system attributes are taken off for the
    // re-creation and put back afterwards, also on failure; a read-only file fails (75)
    // and stays unchanged. `Data` is not changed.
    bool PutFileB(const std::u16string& FileName, const ByteArray& Data, bool RaiseErrors = false);

    // Adds `Data` after the last byte of `FileName`, creating it if missing.
    bool AppendFileB(const std::u16string& FileName, const ByteArray& Data, bool RaiseErrors = false);

    // Truncates an existing file in place (same file identity, links and
    // attributes), or creates a missing one, and writes `Data`. A failure of the
    // truncating open other than "file not found" (a read-only file, a missing folder,
    // a file another process holds open) raises its error whatever RaiseErrors says.
    bool OverwriteFileB(const std::u16string& FileName, const ByteArray& Data, bool RaiseErrors = false);

    // ---- Zone identifiers and descriptions ------------------------------------------

    // Zone identifiers: the key ZoneId of the section [ZoneTransfer] in the stream
    // "Zone.Identifier" of the file (on Linux its extended attribute
    // user.Zone.Identifier, which ntfs-3g shows as the NTFS stream). Other sections,
    // keys and lines of the stream are kept byte for byte.

    // The zone number stored for the file, unchecked; 0 (fzLocalMachine) when
    // the file, the stream, the section or the key is missing or the value is no number.
    FileZone_Const GetFileZone(const std::u16string& FileName);
    // Stores `FileZone` (any value) in decimal, creating the stream, section or
    // key as needed. False when the file is missing or the stream cannot be written.
    bool SetFileZone(const std::u16string& FileName, FileZone_Const FileZone);
    // True when the file exists and its stream holds the key.
    bool IsFileZoneDefined(const std::u16string& FileName);
    // Removes the key (the stream and the section header stay). False when the
    // file is missing, the key is not there, or the stream cannot be written.
    bool DeleteFileZone(const std::u16string& FileName);

    // Descriptions: the entry for the file in the "Descript.ion" file of its folder
    // (see qvxDescriptIon). Each call reads the folder's file afresh. A change holds
    // the folder's lock from its read to its write, so that changes by several
    // processes at once never lose each other's entries, and replaces the file in one
    // step, so that a reader sees it before or after a change, never in between. A name
    // holding a NUL is refused (the result is False or "").

    // The description of the file named by its full name, or "".
    std::u16string GetFileDescription(const std::u16string& FileName);
    // SetFileDescription2 with AutoUTF8Mode True.
    bool SetFileDescription(const std::u16string& FileName, const std::u16string& DescriptionText);
    // Sets (or with "" removes) the description and rewrites the folder's file;
    // with AutoUTF8Mode a text or a name the OEM code page cannot hold turns the whole
    // file to UTF-8. A text of several lines is stored in the multi-line form. False
    // when the folder's file cannot be read or written, or the name cannot be written
    // (a CR or LF in it, or with AutoUTF8Mode False a character the OEM code page
    // lacks): then nothing is written.
    bool SetFileDescription2(const std::u16string& FileName, const std::u16string& DescriptionText,
                             bool AutoUTF8Mode = true);
    // Removes the description and rewrites the folder's file (True even when
    // there was none); False when the folder's file cannot be read or written.
    bool DeleteFileDescription(const std::u16string& FileName);

    // ---- List files ----------------------------------------------------------------

    // List files: one entry per line; blank lines and comment lines can be skipped.
    // Each entry is added with its 1-based position as key ("1", "2", ...).

    // Reads the file line by line as ANSI text (lines end at CR LF or a lone
    // CR). Blankness and the comment prefix (letter case counts) are judged on the line
    // trimmed of blanks; TrimStrings decides whether the entry is trimmed; IsOem
    // reinterprets entries as OEM text. No object on failure, or with RaiseErrors true
    // the error (53 for a missing file).
    std::shared_ptr<Collection> ReadStandardListFile(const std::u16string& FileName,
                                                     const std::u16string& CommentChar = u";",
                                                     bool IgnoreBlanks = true, bool TrimStrings = true,
                                                     bool IsOem = false, bool RaiseErrors = false);

    // Variant form of ReadStandardListFile2 (omitted: ";", True, True, False,
    // 0, 0, 0; the outputs' current values converted, omitted 0 and False); the outputs
    // get the resolved format as 32-bit integers and lpSuccess as a Boolean. Returns the
    // collection in an object variant.
    Variant ReadStandardListFile2ByVar(const Variant& FileName, const Variant& CommentChar = Variant::Missing(),
                                       const Variant& IgnoreBlanks = Variant::Missing(),
                                       const Variant& TrimStrings = Variant::Missing(),
                                       const Variant& RaiseErrors = Variant::Missing(),
                                       const Variant& Encoding = Variant::Missing(),
                                       const Variant& FileBOM = Variant::Missing(),
                                       const Variant& InvertBytes = Variant::Missing(),
                                       Variant* lpEncoding = nullptr, Variant* lpFileBOM = nullptr,
                                       Variant* lpInvertBytes = nullptr, Variant* lpSuccess = nullptr);

    // Reads the whole file with GetFile2 (any encoding; the outputs as there)
    // and splits it at CR LF. With TrimStrings a line is trimmed before the blank test;
    // the comment prefix is compared without regard to letter case. Always returns a
    // collection: empty with lpSuccess false on failure (argument errors included), or
    // with RaiseErrors true the error.
    std::shared_ptr<Collection> ReadStandardListFile2(
        const std::u16string& FileName, const std::u16string& CommentChar = u";", bool IgnoreBlanks = true,
        bool TrimStrings = true, bool RaiseErrors = false, FileEncoding_Const Encoding = feAuto,
        FileBOM_Const FileBOM = fbAuto, InvertBytes_Const InvertBytes = ibAuto,
        FileEncoding_Const* lpEncoding = nullptr, FileBOM_Const* lpFileBOM = nullptr,
        InvertBytes_Const* lpInvertBytes = nullptr, bool* lpSuccess = nullptr);

    // ---- Compression, recycling and file times --------------------------------------

    // Switches compression on (cfDefault, cfLZNT1) or off (cfNone); only the low 16
    // bits of the format count (65538 is cfLZNT1). False with the system's error code
    // (errno) in lpErrorCode when the file cannot be opened or the file system refuses:
    // ntfs-3g compresses directories (new files in them are compressed) but not existing
    // files (EOPNOTSUPP), btrfs compresses files, and a file system that compresses
    // nothing (ext4, tmpfs) refuses compression with EOPNOTSUPP; other formats give
    // EINVAL.
    bool SetFileCompression(const std::u16string& FileName, CompressionFormat_Const CompressionFormat,
                            std::int32_t* lpErrorCode = nullptr);
    // cfLZNT1 for an entry the file system compresses, cfNone otherwise; cfError with
    // the error code (ENOENT is 2) when the state cannot be read.
    CompressionFormat_Const GetFileCompression(const std::u16string& FileName, std::int32_t* lpErrorCode = nullptr);
    // Moves the file or directory into the trash (freedesktop.org), or with
    // SkipRecycleBin deletes it for good (a directory with its content, links inside
    // removed, never followed). The name is first widened to the entry it means, as
    // Windows does, without resolving links: "d/sub/." is d/sub, "d/sub/.." is d. A link
    // goes itself (a dangling one too); a junction or other reparse-point directory is
    // removed as a link, whatever SkipRecycleBin says: its target stays. A missing name
    // gives False, or error 53 with RaiseErrors; other failures their mapped error (a
    // root is refused before anything happens).
    bool RecycleFile(const std::u16string& FileName, bool SkipRecycleBin = false, bool RaiseErrors = false);
    // The creation, last access and last write times as local dates, to the
    // millisecond; the outputs are written only on success. A time the file system does
    // not keep (no creation time off NTFS without a birth time) gives 0. An empty name
    // raises error 5 whatever RaiseErrors says.
    bool GetFileDateTime(const std::u16string& FileName, double* lpCreationTime = nullptr,
                         double* lpLastAccessTime = nullptr, double* lpLastWriteTime = nullptr,
                         bool RaiseErrors = false);
    // Sets the times given as local dates; 0, or a date before 1601 or after
    // 9999, leaves that time unchanged. A creation time where the file system keeps none
    // that can be set fails (ENOTSUP, error 75) and changes nothing; so does a date the
    // file system cannot hold (ext4: before 1901-12-14 or after 2446-05-10; ERANGE,
    // error 75). An empty name raises error 5 whatever RaiseErrors says.
    bool SetFileDateTime(const std::u16string& FileName, double CreationTime = 0, double LastAccessTime = 0,
                         double LastWriteTime = 0, bool RaiseErrors = false);

    // ---- Reparse points ------------------------------------------------------------

    // Reads the reparse point of `SymlinkFileName` without following it and
    // returns the normalised target ("" when there is none). The optional outputs are
    // reset and then filled as far as the read got: the raw target (substitute name or
    // LX target), the print name, the tag, the relative flag. The bytes read reach
    // `lpReparseDataBuffer` only when it holds or refers to a byte array; any other
    // content is left untouched. Expected problems are not errors (GetSymlinkTargetEx
    // reports them as a result code); the outputs keep what was read before the problem:
    // the bytes and tag of a tag that is not decoded, the substitute name before a bad
    // print name, nothing for a path that is missing or no reparse point.
    std::u16string GetSymlinkTarget(const std::u16string& SymlinkFileName,
                                    std::u16string* lpTargetFileNameRaw = nullptr,
                                    std::u16string* lpPrintName = nullptr,
                                    std::int32_t* lpReparseTag = nullptr,
                                    bool* lpRelativePath = nullptr,
                                    Variant* lpReparseDataBuffer = nullptr);

    // As GetSymlinkTarget, and writes the result code to `lpErrorCode`. The bytes come
    // back whenever any were read, whatever the code; DecodeReparseHeader
    // (<Hollin0106/ReparseHeader.h>) gives their fixed fields.
    std::u16string GetSymlinkTargetEx(const std::u16string& SymlinkFileName,
                                      std::u16string* lpTargetFileNameRaw = nullptr,
                                      std::u16string* lpPrintName = nullptr,
                                      std::int32_t* lpReparseTag = nullptr,
                                      bool* lpRelativePath = nullptr,
                                      Variant* lpReparseDataBuffer = nullptr,
                                      SymlinkTargetError_Const* lpErrorCode = nullptr);
};

}  // namespace Hollin0106
