// Loaded into KWin by Kelvora 2008 at its start: tells the program which window is active, on every activation.
// Plasma 6 names them windows, Plasma 5 clients.
function report(window) {
    callDBus("com.talvek.Kelvora2008", "/com/talvek/Kelvora2008/Foreground", "com.talvek.Kelvora2008.Foreground",
             "Report", window ? window.pid : 0, window ? String(window.internalId) : "");
}
(workspace.windowActivated || workspace.clientActivated).connect(report);
report(workspace.activeWindow || workspace.activeClient);
