// GNOME 40 to 44 load extensions as scripts, not modules: the same service as kelvora2008@talvek.example.
const {Gio} = imports.gi;

const FOCUS_INTERFACE = `<node><interface name="com.talvek.Kelvora2008.Focus">
  <method name="Get"><arg type="u" direction="out"/><arg type="s" direction="out"/></method>
</interface></node>`;

class KelvoraFocusExtension {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(FOCUS_INTERFACE, this);
        this._object.export(Gio.DBus.session, '/com/talvek/Kelvora2008/Focus');
        this._name = Gio.bus_own_name_on_connection(Gio.DBus.session, 'com.talvek.Kelvora2008.Shell',
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._name);
        this._object.unexport();
        this._object = null;
    }

    Get() {
        const window = global.display.focus_window;
        return window ? [window.get_pid(), String(window.get_id())] : [0, ''];
    }
}

function init() {
    return new KelvoraFocusExtension();
}
