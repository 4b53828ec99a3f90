' A script client of Hollin0106.dll, run by cscript after regsvr32 has registered the DLL.
' Arguments: an empty folder for its files, Hollin0106.dll's own file name and the build's
' version ("1.2.3"). Prints every check that fails; the exit code
' is the number of failures. The last line it prints, "checks done", tells the runner
' that no script error ended it early.
Option Explicit

Dim folder, dllFile, buildVersion, versionParts, failures
folder = WScript.Arguments(0)
dllFile = WScript.Arguments(1)
buildVersion = WScript.Arguments(2)
versionParts = Split(buildVersion, ".")
failures = 0

Sub Check(ok, what)
    If Not ok Then
        WScript.Echo "FAILED: " & what
        failures = failures + 1
    End If
End Sub

' The error of the last statement as "number source" (and clears it).
Function TakeError()
    TakeError = Err.Number & " " & Err.Source
    Err.Clear
End Function

Dim fso, shell
Set fso = CreateObject("Hollin0106.qvxFSO")
Set shell = CreateObject("Scripting.FileSystemObject")

' ---- Text files: UTF-16 and ANSI, with the detected format coming back -----------------
Dim utf16File, ansiFile, text, encoding, bom, invert, success
utf16File = folder & "\utf16.txt"
ansiFile = folder & "\ansi.txt"
' Wine's VBScript has no ChrW: the text with characters outside every ANSI code page
' ("Gr\u00FC\u00DFe \u4E16\u754C" CR LF "line two") comes from UTF-16 bytes.
fso.PutFileB folder & "\seed.txt", Array(&HFF, &HFE, &H47, 0, &H72, 0, &HFC, 0, &HDF, 0, &H65, 0, &H20, 0, _
    &H16, &H4E, &H4C, &H75, 13, 0, 10, 0, &H6C, 0, &H69, 0, &H6E, 0, &H65, 0, &H20, 0, &H74, 0, &H77, 0, &H6F, 0)
text = fso.GetFile2(folder & "\seed.txt")
Check Len(text) = 18 And Left(text, 2) = "Gr" And Right(text, 10) = vbCrLf & "line two", _
      "GetFile2 reads UTF-16 bytes as text, got " & Len(text) & " characters"

Check fso.PutFile2(utf16File, text, False, 3, 2, 1), "PutFile2 writes UTF-16 with a mark"
Check fso.GetFile2ByVar(utf16File, False, 0, 0, 0, encoding, bom, invert, success) = text, _
      "GetFile2ByVar reads the UTF-16 text back"
Check success = True, "GetFile2ByVar reports success"
Check encoding = 3 And bom = 2 And invert = 1, _
      "GetFile2ByVar detects UTF-16 LE with a mark, got " & encoding & "/" & bom & "/" & invert

Check fso.PutFile2(ansiFile, "plain ANSI text" & vbCrLf & "second line", False, 1, 1), "PutFile2 writes ANSI"
encoding = 0 : bom = 0 : invert = 0 : success = False
' The typed method with typed by-reference outputs, given script variables.
Check fso.GetFile2(ansiFile, False, 0, 0, 0, encoding, bom, invert, success) = _
      "plain ANSI text" & vbCrLf & "second line", "GetFile2 reads the ANSI text back"
Check encoding = 1 And bom = 1 And success = True, _
      "GetFile2 detects ANSI without a mark, got " & encoding & "/" & bom & "/" & success
Check fso.GetFileFormat2(utf16File, False, encoding, bom, invert) And encoding = 3, "GetFileFormat2 on UTF-16"
Check fso.PutFile2(folder & "\utf8.txt", text, False, 2, 1) And fso.GetFile2(folder & "\utf8.txt", False, 2) = text, _
      "the same text through UTF-8 without a mark"

' ---- List file, walked with For Each ---------------------------------------------------
Dim listFile, list, item, joined
listFile = folder & "\list.txt"
fso.PutFile2 listFile, "; a comment" & vbCrLf & "alpha" & vbCrLf & vbCrLf & "  beta  " & vbCrLf & "gamma", False, 1
Set list = fso.ReadStandardListFile2(listFile)
Check list.Count = 3, "the list file has three entries, got " & list.Count
joined = ""
For Each item In list
    joined = joined & item & "|"
Next
Check joined = "alpha|beta|gamma|", "For Each walks the list in order, got " & joined
Check list(1) = "alpha" And list.Item("3") = "gamma", "Item by position and by key"
list.Remove 1
list.Remove "3"
Check list.Count = 1 And list(1) = "beta" And list("2") = "beta", "Remove by position and by key, got " & list.Count
Set list = fso.ReadStandardListFile2ByVar(listFile, "#", False, False)
Check list.Count = 5, "ReadStandardListFile2ByVar keeps blank and ';' lines, got " & list.Count

' ---- Reparse points: a plain file has none ---------------------------------------------
Dim raw, printName, tag, relative, buffer, code, target
code = -1
target = fso.GetSymlinkTargetEx(utf16File, raw, printName, tag, relative, buffer, code)
Check code = 6, "GetSymlinkTargetEx on a plain file gives setNotSymlink (6), got " & code
Check target = "", "no target for a plain file"

' ---- Errors: RaiseErrors True gives the library's number -------------------------------
Dim bytes, result
On Error Resume Next
bytes = fso.GetFileB(folder & "\missing.bin", True)
result = TakeError()
On Error GoTo 0
Check result = "53 qvxFSO", "GetFileB of a missing file with RaiseErrors raises 53 from qvxFSO, got " & result
On Error Resume Next
bytes = fso.GetFileB(folder & "\missing.bin", True)
result = Err.Description
Err.Clear
On Error GoTo 0
Check result = "File not found", "with the run-time error's text, got " & result
On Error Resume Next
bytes = fso.GetFileB(folder & "\missing.bin")
result = TakeError()
On Error GoTo 0
Check result = "0 " And VarType(bytes) = 8209, _
      "without RaiseErrors the failure is a byte array, got " & result
On Error Resume Next
fso.PutFile2 folder & "\bad.txt", "x", False, 9
result = TakeError()
On Error GoTo 0
Check result = "5 qvxFSO", "an encoding outside its range raises 5, got " & result

' ---- Bytes: a script's array of numbers in, a byte array out and back -------------------
Dim binFile, copyFile
binFile = folder & "\bytes.bin"
copyFile = folder & "\copy.bin"
Check fso.PutFileB(binFile, Array(72, 105, 33, 13, 10, 255)), "PutFileB takes an array of numbers"
bytes = fso.GetFileB(binFile, False, success)
Check success = True And VarType(bytes) = 8209, "GetFileB gives a byte array, type " & VarType(bytes)
Check fso.PutFileB(copyFile, bytes), "PutFileB takes the byte array back"
Check fso.GetFile2(copyFile, False, 1, 1) = "Hi!" & vbCrLf & Chr(255), "the bytes survive the round trip"
On Error Resume Next
fso.PutFileB binFile, Array(1, 256)
result = TakeError()
On Error GoTo 0
Check Left(result, 2) = "6 ", "a number outside 0-255 is an overflow, got " & result
On Error Resume Next
fso.PutFileB binFile, Array(1, "x")
result = TakeError()
On Error GoTo 0
Check Left(result, 3) = "13 ", "a word among the bytes is a type mismatch, got " & result

' ---- File search with a callback object ------------------------------------------------
Class DirectoryCounter
    Public Calls
    Public CancelAfter
    Public Sub DirectoryCompleted(Path, Cancel)
        Calls = Calls + 1
        If Calls = CancelAfter Then Cancel = True
    End Sub
End Class

Dim tree, found, counter, names, entry, child
tree = folder & "\tree"
shell.CreateFolder tree
shell.CreateFolder tree & "\sub"
fso.PutFile2 tree & "\one.txt", "1"
fso.PutFile2 tree & "\sub\two.txt", "22"
Set found = CreateObject("Hollin0106.qvxFoundedFiles")
Set counter = New DirectoryCounter
counter.Calls = 0
counter.CancelAfter = 0
Check found.RefreshEx(tree, "*", False, counter), "RefreshEx runs to its end"
Check counter.Calls = 2, "DirectoryCompleted once per folder, got " & counter.Calls
Check found.Count = 2, "two entries at the top, got " & found.Count
names = ""
For Each entry In found
    names = names & entry.FileName & "|"
    If entry.AttributeDirectory Then
        For Each child In entry.Childs
            names = names & "sub:" & child.FileName & "/" & child.FileSize & "|"
        Next
    End If
Next
Check names = "one.txt|sub|sub:two.txt/2|" Or names = "sub|sub:two.txt/2|one.txt|", "For Each over the tree, got " & names
Set counter = New DirectoryCounter
counter.Calls = 0
counter.CancelAfter = 1
Check Not found.RefreshEx(tree, "*", False, counter), "a callback that sets Cancel ends the search"
Check found.RefreshEx(tree, "*.txt", False, CreateObject("Hollin0106.IFindFilesCallback")), _
      "the library's own callback class does nothing"

' ---- Search with its parent, identity, a callback that searches again ---------------------
' The entry Path names itself, with its folder (no separator at its end) as Path.
Check found.RefreshEx2(tree & "\sub", "*", False, , True) And found.Count = 1, "RefreshEx2 with SearchWithParent"
Check found(0).Path = tree And found(0).FileName = "sub", "the entry's Path is its folder, got " & found(0).Path
Check found.RefreshEx2("C:\windows", "*.none", False, , True) And found(0).Path = "C:", _
      "a folder of a drive root has the Path C:, got " & found(0).Path

' Reading an item twice, by Item or For Each, gives the same object; so does Childs.
' (Wine's VBScript binds Is more loosely than And: each Is stands alone.)
Check found.RefreshEx(tree, "*"), "RefreshEx over the tree"
Check found.Item(0) Is found(0), "Item(0) Is Item(0)"
Check found(1) Is found.Item(1), "Item(1) Is Item(1)"
For Each entry In found
    If entry.AttributeDirectory Then
        Check entry Is found(found.Count - 2) Or entry Is found(found.Count - 1), "For Each gives the objects Item gives"
        Check entry.Childs Is entry.Childs, "Childs Is Childs"
        Check entry.Childs.Item(0) Is entry.Childs.Item(0), "the children's items too"
    End If
Next
Set entry = found(0)
Check found.RefreshEx(tree, "*"), "RefreshEx again"
Check Not (entry Is found(0)), "a new search gives new objects"
Check entry.FileName <> "", "an object of the old search stays usable"

' A callback that searches again with the object being filled gets error 5; the
' running search goes on and keeps its own entries.
Class SearchAgain
    Public Target
    Public Numbers
    Public Sub DirectoryCompleted(Path, Cancel)
        On Error Resume Next
        Target.RefreshEx2 Path, "*"
        Numbers = Numbers & Err.Number & " "
    End Sub
End Class
Dim searcher
Set searcher = New SearchAgain
Set searcher.Target = found
searcher.Numbers = ""
Check found.RefreshEx(tree, "*", False, searcher), "the outer search runs to its end"
Check searcher.Numbers = "5 5 ", "each search from a callback gets error 5, got " & searcher.Numbers
Check found.Count = 2 And found.Path = tree, "the outer list keeps its own entries, got " & found.Count

' An error raised in a script's callback reaches the caller with its number.
Class FailingCallback
    Public Sub DirectoryCompleted(Path, Cancel)
        Err.Raise 1234, "FailingCallback", "script callback failed"
    End Sub
End Class
On Error Resume Next
found.RefreshEx tree, "*", False, New FailingCallback
result = TakeError()
On Error GoTo 0
Check Left(result, 5) = "1234 ", "the callback's error reaches the caller, got " & result

' ---- Zones, times, descriptions ----------------------------------------------------------
Dim creation, access, written, errorCode
Check fso.SetFileZone(ansiFile, 3) And fso.GetFileZone(ansiFile) = 3 And fso.IsFileZoneDefined(ansiFile), _
      "the zone identifier stream holds fzInternet"
Check fso.DeleteFileZone(ansiFile) And Not fso.IsFileZoneDefined(ansiFile), "DeleteFileZone removes the key"
Check fso.GetFileDateTime(ansiFile, creation, access, written) And VarType(written) = 7 And written > 40000, _
      "GetFileDateTime gives dates, got " & TypeName(written)
Check fso.SetFileDateTime(ansiFile, 0, 0, DateSerial(2001, 2, 3) + TimeSerial(4, 5, 6)), "SetFileDateTime"
Check fso.GetFileDateTime(ansiFile, creation, access, written) And _
      written = DateSerial(2001, 2, 3) + TimeSerial(4, 5, 6), "the write time comes back, got " & written

Dim notes, again
Set notes = CreateObject("Hollin0106.qvxDescriptIon")
notes.AddItem "one.txt", "the first file"
notes.AddItem "two words.txt", "the second"
notes.UTF8Mode = True
Check notes.UTF8Mode = True And notes.ItemCount = 2, "qvxDescriptIon property put and get"
Check notes.WriteDirectoryFile(tree), "WriteDirectoryFile"
Set again = CreateObject("Hollin0106.qvxDescriptIon")
Check again.ReadDirectoryFile(tree) And again.ItemCount = 2, "ReadDirectoryFile finds both entries"
Check again.ItemDescriptionByFileName("ONE.TXT") = "the first file" And again.ItemFileName(1) = "two words.txt", _
      "entries by name (any case) and by 0-based index"
Check fso.GetFileDescription(tree & "\one.txt") = "the first file", "qvxFSO.GetFileDescription reads the same file"

' ---- Streams and version resources -----------------------------------------------------
Dim streams, stream, streamCount
Set streams = CreateObject("Hollin0106.qvxFileStreams")
Check streams.ReadFileStreams(ansiFile), "ReadFileStreams runs"
' Wine's BackupRead delivers no stream headers: the list may be empty there.
streamCount = 0
For Each stream In streams
    streamCount = streamCount + 1
    Check stream.StreamIDData = (stream.StreamID = 1), "FileStream's Booleans follow StreamID"
Next
Check streamCount = streams.Count, "For Each over the streams yields Count items"

Dim version, exists
Set version = CreateObject("Hollin0106.qvxFileVersion")
Check version.ReadFile(dllFile), "qvxFileVersion reads Hollin0106.dll"
Check version.StrProductVersion(exists) = buildVersion And exists, "the product version string"
Check version.FileVerMajor = CInt(versionParts(0)) And version.FileVerMinor = CInt(versionParts(1)) And _
      version.FileVerRevisionMajor = CInt(versionParts(2)), "the fixed file version"
Check version.FileType = 2, "the file type is FileType_DLL, got " & version.FileType
Check version.StrComments(exists) = "" And Not exists, "a missing string reports lpStringExist False"
Check InStr(version.StrLegalCopyright, " 2025-2026. ") > 0, "the copyright line"

' ---- Shell information -------------------------------------------------------------------
Dim shellInfo, program, icon, programFile
programFile = Left(dllFile, InStrRev(dllFile, "\")) & "TagscopeC.exe"
Set shellInfo = CreateObject("Hollin0106.qvxShellFileInfo")
Check shellInfo.ReadFile(ansiFile), "qvxShellFileInfo reads a text file"
Check shellInfo.DisplayName = "ansi.txt" And shellInfo.TypeName <> "", _
      "display and type name of a text file, got " & shellInfo.DisplayName & " / " & shellInfo.TypeName
Check shellInfo.EXEType.Signature = "", "a text file is no program"
Check shellInfo.ReadFile(programFile), "qvxShellFileInfo reads TagscopeC.exe"
Set program = shellInfo.EXEType
Check program.Signature = "PE", "TagscopeC.exe is a PE program, got " & program.Signature
Set icon = shellInfo.Icon
Check icon.Index = shellInfo.SystemIconIndex, "the large icon's index is the system icon index"
Check icon.Icon.Width > 0 And icon.Icon.Height > 0, "the icon is a picture with a size"
Check Not (shellInfo.SmallIcon Is Nothing), "a small icon"
' The lazy properties give the same object (and the same picture) until the next ReadFile.
Check shellInfo.Icon Is shellInfo.Icon And shellInfo.Icon.Icon Is shellInfo.Icon.Icon, "Icon Is Icon"
Check shellInfo.EXEType Is shellInfo.EXEType And shellInfo.SmallIcon Is shellInfo.SmallIcon, "EXEType Is EXEType"
Check shellInfo.ReadFile(programFile) And Not (icon Is shellInfo.Icon) And icon.Index = shellInfo.Icon.Index, _
      "a new ReadFile gives a new icon object"
' A handle as wide as a pointer reaches a script as a Long where it fits, else a Double.
result = VarType(shellInfo.hSystemImageList)
Check result = vbLong Or result = vbDouble, "hSystemImageList is a number a script reads, type " & result
Check shellInfo.hSystemImageList <> 0, "the image list handle"
Check Not shellInfo.ReadFile(folder & "\missing.txt") And shellInfo.FileName = "", "a missing file empties the object"

On Error Resume Next
Set entry = found.Item(99)
result = TakeError()
On Error GoTo 0
Check Left(result, 2) = "9 ", "an index outside the list raises 9, got " & result

' ---- Windows error codes and overflows ---------------------------------------------------
errorCode = -1
Check Not fso.SetFileCompression(ansiFile, 9, errorCode) And errorCode = 87, _
      "an unknown compression format is ERROR_INVALID_PARAMETER (87), got " & errorCode
Check fso.GetFileCompression(folder & "\missing.txt", errorCode) = -1 And errorCode = 2, _
      "a missing file is ERROR_FILE_NOT_FOUND (2), got " & errorCode
' An argument of the right kind outside its parameter's range is error 6, not 13.
On Error Resume Next
result = version.GetLanguageName(40000)
result = TakeError()
On Error GoTo 0
Check Left(result, 2) = "6 ", "a language number beyond 16 bits overflows, got " & result
On Error Resume Next
result = fso.SetFileZone(ansiFile, 2 ^ 31)
result = TakeError()
On Error GoTo 0
Check Left(result, 2) = "6 ", "a zone beyond 32 bits overflows, got " & result
On Error Resume Next
result = fso.SetFileDateTime(ansiFile, 0, 0, 1E10)
result = TakeError()
On Error GoTo 0
Check Left(result, 2) = "6 ", "a date beyond the year 9999 overflows, got " & result
On Error Resume Next
result = fso.SetFileZone(ansiFile, "internet")
result = TakeError()
On Error GoTo 0
Check Left(result, 3) = "13 ", "a word for a zone is still a type mismatch, got " & result

WScript.Echo "checks done"
WScript.Quit failures
