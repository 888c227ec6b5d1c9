// Moves the focus as a user's click would, for the end-to-end tests: Activate(pid) focuses that process's window
// and says whether it now has the focus (false while the process has no window yet).
const {Gio} = imports.gi;
const Main = imports.ui.main;

const MOVER_INTERFACE = `<node><interface name="test.Kelvora.FocusMover">
  <method name="Activate"><arg type="u" direction="in"/><arg type="b" direction="out"/></method>
</interface></node>`;

class FocusMover {
    enable() {
        Main.overview.hide(); // the shell starts in the overview, where no window has the focus
        this._object = Gio.DBusExportedObject.wrapJSObject(MOVER_INTERFACE, this);
        this._object.export(Gio.DBus.session, '/test/Kelvora/FocusMover');
        this._name = Gio.bus_own_name_on_connection(Gio.DBus.session, 'test.Kelvora.FocusMover',
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._name);
        this._object.unexport();
    }

    Activate(pid) {
        const actor = global.get_window_actors().find(a => a.get_meta_window().get_pid() === pid);
        if (!actor)
            return false;
        // Outside an event the shell's current time can be stale, and the focus-stealing guard refuses an
        // activation older than the last one: ask for a fresh timestamp.
        const window = actor.get_meta_window();
        window.activate(global.display.get_current_time_roundtrip());
        return global.display.focus_window === window;
    }
}

function init() {
    return new FocusMover();
}
