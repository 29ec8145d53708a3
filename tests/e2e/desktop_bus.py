"""Desktop services on the session bus: a StatusNotifierItem watcher and host, as a
desktop's tray has, a file manager's org.freedesktop.FileManager1, and a screen saver.

Usage:
  desktop_bus.py filemanager LOG    serve org.freedesktop.FileManager1; each ShowFolders
                                    call appends its URIs to LOG, one a line
  desktop_bus.py screensaver        serve org.freedesktop.ScreenSaver, not active; its
                                    SetActive(b) method locks and unlocks the screen
  desktop_bus.py watch ITEMS_FILE   serve org.kde.StatusNotifierWatcher with a host registered;
                                 each item that registers is appended to ITEMS_FILE
  desktop_bus.py call ITEM METHOD   call Activate or ContextMenu (0, 0) on the item
  desktop_bus.py menu ITEM          print the item's exported menu, one visible entry a line:
                                 "label|toggle-type|toggle-state"
  desktop_bus.py click ITEM LABEL   click the menu entry with that label

Every call the host makes must be answered within a second, as a tray's would
give up on a frozen item.
"""
import sys

import dbus
import dbus.service

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM_PATH = "/StatusNotifierItem"
ITEM_IFACE = "org.kde.StatusNotifierItem"
MENU_IFACE = "com.canonical.dbusmenu"
ANSWER_TIMEOUT = 1.0

WATCHER_XML = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/>
   <arg type="v" direction="out"/></method>
  <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
 </interface>
</node>"""


def serve(name, make):
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    served = make(bus)
    owned = dbus.service.BusName(name, bus, do_not_queue=True)
    GLib.MainLoop().run()
    del served, owned


class FileManager(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/FileManager1")
        self.log = log

    @dbus.service.method("org.freedesktop.FileManager1", in_signature="ass")
    def ShowFolders(self, uris, startup_id):
        with open(self.log, "a") as out:
            out.writelines(uri + "\n" for uri in uris)


SCREENSAVER = "org.freedesktop.ScreenSaver"


class ScreenSaver(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/ScreenSaver")
        self.active = False

    @dbus.service.method(SCREENSAVER, out_signature="b")
    def GetActive(self):
        return self.active

    @dbus.service.method(SCREENSAVER, in_signature="b")
    def SetActive(self, active):
        self.active = bool(active)
        self.ActiveChanged(self.active)

    @dbus.service.signal(SCREENSAVER, signature="b")
    def ActiveChanged(self, active):
        pass


class Watcher(dbus.service.Object):
    def __init__(self, bus, items_file):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items_file = items_file
        self.items = []

    # Qt reads the properties through introspection, which python-dbus does
    # not fill in by itself.
    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return WATCHER_XML

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        name = service if "." in service or service.startswith(":") else sender
        self.items.append(name)
        with open(self.items_file, "a") as out:
            out.write(name + "\n")
        self.StatusNotifierItemRegistered(name)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, name):
        pass

    def properties(self):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return self.properties()[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties()


def item(name):
    return dbus.SessionBus().get_object(name, ITEM_PATH, introspect=False)


def menu_object(name):
    path = item(name).Get(ITEM_IFACE, "Menu", dbus_interface=dbus.PROPERTIES_IFACE, timeout=ANSWER_TIMEOUT)
    if path in ("/", "/NO_DBUSMENU"):
        sys.exit("the item exports no menu (Menu is %s)" % path)
    return dbus.SessionBus().get_object(name, path, introspect=False)


def entries(name):
    menu = menu_object(name)
    menu.AboutToShow(0, dbus_interface=MENU_IFACE, timeout=ANSWER_TIMEOUT)
    _, (_, _, children) = menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU_IFACE,
                                         timeout=ANSWER_TIMEOUT)
    for child in children:
        ident, props, _ = child
        if props.get("visible", True) and props.get("type", "standard") != "separator":
            yield menu, int(ident), props


def main(argv):
    command = argv[1] if len(argv) > 1 else ""
    if command == "filemanager" and len(argv) == 3:
        serve("org.freedesktop.FileManager1", lambda bus: FileManager(bus, argv[2]))
    elif command == "screensaver" and len(argv) == 2:
        serve(SCREENSAVER, ScreenSaver)
    elif command == "watch" and len(argv) == 3:
        serve(WATCHER, lambda bus: Watcher(bus, argv[2]))
    elif command == "call" and len(argv) == 4:
        item(argv[2]).get_dbus_method(argv[3], ITEM_IFACE)(dbus.Int32(0), dbus.Int32(0), timeout=ANSWER_TIMEOUT)
    elif command == "menu" and len(argv) == 3:
        for _, _, props in entries(argv[2]):
            print("%s|%s|%d" % (props.get("label", ""), props.get("toggle-type", ""),
                                int(props.get("toggle-state", -1))))
    elif command == "click" and len(argv) == 4:
        for menu, ident, props in entries(argv[2]):
            if props.get("label") == argv[3]:
                menu.Event(ident, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                           dbus_interface=MENU_IFACE, signature="isvu", timeout=ANSWER_TIMEOUT)
                return 0
        sys.exit("no menu entry %r" % argv[3])
    else:
        sys.exit(__doc__)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
