"""Stands in for KWin ("kwin") or GNOME Shell with the program's extension ("gnome") on the session bus, speaking
the same D-Bus protocol as the KWin script and the extension. Touches READY_FILE once its names are owned."""
import os
import sys

from gi.repository import Gio, GLib

mode, ready_file = sys.argv[1], sys.argv[2]
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
SCRIPTING = """<node><interface name="org.kde.kwin.Scripting">
<method name="loadScript"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="i" direction="out"/>
</method><method name="unloadScript"><arg type="s" direction="in"/><arg type="b" direction="out"/></method>
<method name="start"/></interface></node>"""
FOCUS = """<node><interface name="com.talvek.Kelvora2008.Focus">
<method name="Get"><arg type="u" direction="out"/><arg type="s" direction="out"/></method></interface></node>"""
loaded = []


def own(name):
    bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                  GLib.Variant("(su)", (name, 4)), None, 0, -1, None)


def report(connection, pid, window):
    connection.call_sync("com.talvek.Kelvora2008", "/com/talvek/Kelvora2008/Foreground",
                         "com.talvek.Kelvora2008.Foreground", "Report", GLib.Variant("(is)", (pid, window)), None, 0,
                         2000, None)


def reports():
    # Another client claiming to be KWin first: the program must not believe it.
    impostor = Gio.DBusConnection.new_for_address_sync(
        os.environ["DBUS_SESSION_BUS_ADDRESS"],
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    report(impostor, 6666, "{impostor}")
    GLib.timeout_add(300, lambda: report(bus, 4242 if loaded and os.path.isfile(loaded[0]) else 1, "{0b1e}"))
    return False


def on_call(connection, sender, path, interface, method, params, invocation):
    if method == "loadScript":
        loaded.append(params.unpack()[0])
        invocation.return_value(GLib.Variant("(i)", (0,)))
    elif method == "unloadScript":
        invocation.return_value(GLib.Variant("(b)", (True,)))
    elif method == "start":
        invocation.return_value(None)
        GLib.timeout_add(100, reports)  # the program waits for this reply before it listens again
    elif method == "Get":
        invocation.return_value(GLib.Variant("(us)", (4343, "77")))


if mode == "kwin":
    bus.register_object("/Scripting", Gio.DBusNodeInfo.new_for_xml(SCRIPTING).interfaces[0], on_call, None, None)
    own("org.kde.KWin")
else:
    bus.register_object("/com/talvek/Kelvora2008/Focus", Gio.DBusNodeInfo.new_for_xml(FOCUS).interfaces[0], on_call,
                        None, None)
    own("org.gnome.Shell")
    own("com.talvek.Kelvora2008.Shell")
open(ready_file, "w").close()
GLib.MainLoop().run()
