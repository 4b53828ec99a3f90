// A JScript client of Hollin0106.dll, run by cscript after regsvr32 has registered the DLL.
// Arguments: an empty folder for its files. Prints every check that fails; the exit code
// is the number of failures. The last line it prints, "checks done", tells the runner
// that no script error ended it early.
// JScript passes no variable by reference, so the outputs of by-reference arguments
// (lpErrorCode, ...) are the VBScript client's to check; neither language has named
// arguments (the C++ client's).
var folder = WScript.Arguments(0);
var failures = 0;

function check(ok, what) {
    if (!ok) {
        WScript.Echo("FAILED: " + what);
        failures++;
    }
}

// The run-time error number of an exception: an automation error arrives as the HRESULT
// 800A00xx of its number.
function numberOf(e) {
    return (e.number & 0xFFFF0000) == (0x800A0000 | 0) ? e.number & 0xFFFF : e.number;
}

// The error `body` throws, as its number; 0 when it throws none.
function errorOf(body) {
    try {
        body();
    } catch (e) {
        return numberOf(e);
    }
    return 0;
}

// The items an Enumerator yields, which calls the collection's hidden NewEnum as a method.
function itemsOf(collection) {
    var items = [];
    for (var e = new Enumerator(collection); !e.atEnd(); e.moveNext()) items.push(e.item());
    return items;
}

var fso = new ActiveXObject("Hollin0106.qvxFSO");
var shell = new ActiveXObject("Scripting.FileSystemObject");
var tree = folder + "\\tree";
shell.CreateFolder(tree);
shell.CreateFolder(tree + "\\sub");
fso.PutFile2(tree + "\\one.txt", "1");
fso.PutFile2(tree + "\\sub\\two.txt", "22");

// ---- Collections: Enumerator, Item called as a method, the same object twice ------------
var found = new ActiveXObject("Hollin0106.qvxFoundedFiles");
check(found.RefreshEx(tree, "*"), "RefreshEx over the tree");
var entries = itemsOf(found);
check(entries.length == 2, "Enumerator over qvxFoundedFiles gives 2 entries, got " + entries.length);
check(entries.length == 2 && entries[0] === found.Item(0) && entries[1] === found.Item(1),
      "Enumerator and Item give the same objects");
check(found.Item(0) === found.Item(0), "Item(0) twice is one object");
check(errorOf(function () { found.Item(2); }) == 9, "Item outside the list is error 9, got " +
      errorOf(function () { found.Item(2); }));
var folderEntry = found.Item(0).AttributeDirectory ? found.Item(0) : found.Item(1);
check(folderEntry.Childs === folderEntry.Childs, "Childs twice is one object");
check(itemsOf(folderEntry.Childs).length == 1 && folderEntry.Childs.Item(0).FileSize == 2,
      "the folder's own entries");

fso.PutFile2(folder + "\\list.txt", "alpha\r\n; comment\r\nbeta\r\ngamma");
var list = fso.ReadStandardListFile2(folder + "\\list.txt");
check(itemsOf(list).join("|") == "alpha|beta|gamma", "Enumerator over a list file, got " + itemsOf(list).join("|"));
check(list.Item(2) == "beta" && list.Item("3") == "gamma", "Item by position and by key");
list.Remove(1);
check(list.Count == 2 && list.Item(1) == "beta", "Remove by position");
check(errorOf(function () { list.Item(3); }) == 9, "a position outside the list is error 9");

var streams = new ActiveXObject("Hollin0106.qvxFileStreams");
check(streams.ReadFileStreams(folder + "\\list.txt"), "ReadFileStreams runs");
// Wine's BackupRead delivers no stream headers: the list may be empty there.
check(itemsOf(streams).length == streams.Count, "Enumerator over qvxFileStreams gives Count items");

// ---- Search with its parent, and a callback that searches again ------------------------
check(found.RefreshEx2(tree + "\\sub", "*", false, null, true) && found.Count == 1, "RefreshEx2 with its parent");
check(found.Item(0).Path == tree, "the entry's Path is its folder without a separator, got " + found.Item(0).Path);
check(found.RefreshEx2("C:\\windows", "*.none", false, null, true) && found.Item(0).Path == "C:",
      "a folder of a drive root has the Path C:, got " + found.Item(0).Path);

var inner = [];
var searchAgain = {
    DirectoryCompleted: function (path, cancel) {
        inner.push(errorOf(function () { found.RefreshEx2(path, "*"); }));
    }
};
check(found.RefreshEx(tree, "*", false, searchAgain), "the outer search runs to its end");
check(inner.join(" ") == "5 5", "each search from a callback is error 5, got " + inner.join(" "));
check(found.Count == 2 && found.Path == tree, "the outer list keeps its entries, got " + found.Count);

var failing = {
    DirectoryCompleted: function (path, cancel) {
        var e = new Error("script callback failed");
        e.number = 0x800A04D2 | 0;  // 1234
        throw e;
    }
};
check(errorOf(function () { found.RefreshEx(tree, "*", false, failing); }) == 1234,
      "the callback's error number reaches the caller");

// ---- Shell information: one object per icon, a handle a script reads ---------------------
var shellInfo = new ActiveXObject("Hollin0106.qvxShellFileInfo");
check(shellInfo.ReadFile("C:\\windows\\notepad.exe"), "qvxShellFileInfo reads notepad.exe");
check(shellInfo.Icon === shellInfo.Icon && shellInfo.Icon.Icon === shellInfo.Icon.Icon, "Icon twice is one object");
check(shellInfo.EXEType === shellInfo.EXEType, "EXEType twice is one object");
check(typeof shellInfo.hSystemImageList == "number" && shellInfo.hSystemImageList != 0,
      "hSystemImageList is a number, got " + typeof shellInfo.hSystemImageList);

// ---- Overflow apart from type mismatch -------------------------------------------------
// Wine's JScript hands on Invoke's own DISP_E_OVERFLOW (80020005 is DISP_E_TYPEMISMATCH)
// where Windows' says 6.
var DISP_E_OVERFLOW = 0x8002000A | 0;
function isOverflow(n) { return n == 6 || n == DISP_E_OVERFLOW; }
var version = new ActiveXObject("Hollin0106.qvxFileVersion");
check(isOverflow(errorOf(function () { version.GetLanguageName(40000); })), "a language number beyond 16 bits overflows");
check(isOverflow(errorOf(function () { fso.SetFileZone(folder + "\\list.txt", 2147483648); })),
      "a zone beyond 32 bits overflows");
var mismatch = errorOf(function () { fso.SetFileZone(folder + "\\list.txt", "internet"); });
check(mismatch != 0 && !isOverflow(mismatch), "a word for a zone is an error, but no overflow: " + mismatch);

WScript.Echo("checks done");
WScript.Quit(failures);
