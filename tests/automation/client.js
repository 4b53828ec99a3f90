// A JScript client of Hollin0106.dll, run by cscript after regsvr32 has registered the DLL.
// Arguments: an empty folder for its files. Prints every check that fails; the exit code
// is the number of failures. The last line it prints, "checks done", tells the runner
// that no script error ended it early.
// The VBScript client checks the server's behaviour; this one what JScript does
// differently: its Enumerator calls a collection's hidden NewEnum as a method, it calls
// Item as a method, and it hands over callbacks that are JScript objects.
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
check(errorOf(function () { found.Item(2); }) == 9, "Item outside the list is error 9");
var folderEntry = found.Item(0).AttributeDirectory ? found.Item(0) : found.Item(1);
check(itemsOf(folderEntry.Childs).length == 1 && folderEntry.Childs.Item(0).FileSize == 2,
      "the folder's own entries");

fso.PutFile2(folder + "\\list.txt", "alpha\r\n; comment\r\nbeta\r\ngamma");
var list = fso.ReadStandardListFile2(folder + "\\list.txt");
check(itemsOf(list).join("|") == "alpha|beta|gamma", "Enumerator over a list file, got " + itemsOf(list).join("|"));
check(list.Item(2) == "beta" && list.Item("3") == "gamma", "Item by position and by key");

var streams = new ActiveXObject("Hollin0106.qvxFileStreams");
check(streams.ReadFileStreams(folder + "\\list.txt"), "ReadFileStreams runs");
// Wine's BackupRead delivers no stream headers: the list may be empty there.
check(itemsOf(streams).length == streams.Count, "Enumerator over qvxFileStreams gives Count items");

// ---- A JScript object as the callback, searching again ----------------------------------
var inner = [];
var searchAgain = {
    DirectoryCompleted: function (path, cancel) {
        inner.push(errorOf(function () { found.RefreshEx2(path, "*"); }));
    }
};
check(found.RefreshEx(tree, "*", false, searchAgain), "the outer search runs to its end");
check(inner.join(" ") == "5 5", "each search from a callback is error 5, got " + inner.join(" "));
check(found.Count == 2 && found.Path == tree, "the outer list keeps its entries, got " + found.Count);

WScript.Echo("checks done");
WScript.Quit(failures);
