"""Loads the saver's controls file with Xfce's own settings app and says what
each control shows at first and what arguments it writes when it alone is
changed. The app is Xfce's script itself, imported: its parser builds the
window and its handlers write the arguments; only its settings store is an
empty one in memory, so that every row starts from a fresh user.

Usage: xfce_controls.py SCRIPT CONTROLS.xml < rows
Each row "control place" (a select's choice id, or a number) prints
"shown arguments reopened", tab-separated: what the control showed before the
change ("" for a blank select), the arguments written, and what it shows when
the app is opened again.
"""
import importlib.machinery
import importlib.util
import sys

import gi

gi.require_version("Xfconf", "0")
from gi.repository import Xfconf  # noqa: E402


class MemoryChannel:
    """Xfconf's channel calls the app makes, kept in a dictionary."""

    def __init__(self):
        self.values = {}

    def has_property(self, name):
        return name in self.values

    def get_property(self, name, g_value):
        if name in self.values:
            g_value.set_value(self.values[name])
        return name in self.values

    def set_property(self, name, g_value):
        self.values[name] = g_value.get_value()
        return True

    def reset_property(self, base, recursive):
        for name in [n for n in self.values if n == base or n.startswith(base + "/")]:
            del self.values[name]


def main():
    script, controls = sys.argv[1], sys.argv[2]
    loader = importlib.machinery.SourceFileLoader("xfce_configure", script)
    app = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(app)
    saver = app.XmlScreensaverSettings("kalosaver")
    if not saver.load_from_file(controls):
        sys.exit("Xfce's app could not read " + controls)
    parsed = saver.to_dict()
    channel = MemoryChannel()
    Xfconf.Channel.get = staticmethod(lambda name: channel)

    def open_app(control):
        """The app's window, the control and what the control shows."""
        window = app.ConfigurationWindow(parsed)
        widget, kind = window.widgets[control]
        if kind == "select":
            return window, widget, widget.get_active_id() or ""
        return window, widget, "%g" % widget.get_value()

    for row in sys.stdin:
        control, place = row.split()
        channel.values.clear()
        window, widget, before = open_app(control)
        if isinstance(widget, app.Gtk.ComboBox):
            widget.set_active_id(place)
        else:
            widget.set_value(float(place))
        window.destroy()
        written = channel.values.get("/screensavers/%s/arguments" % parsed["name"], "")
        window, widget, after = open_app(control)
        window.destroy()
        print("\t".join([before, " ".join(written.split()), after]), flush=True)


main()
