#!/usr/bin/python3
"""The file-manager actions as installed: the Nautilus and Caja extensions
loaded against the real Python bindings, asked for a folder's background
item and activated, which starts the installed program on a private X server
with its text dialog in that folder; the Nemo action and the Dolphin service
menu read by the tools of their formats.

Usage: FileManagerActionsTest.py BUILD_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

BUILD = sys.argv[1]
TEXT_DIALOG = "クリップボードテキストに名前を付けて保存"
LABEL = "クリップボードをファイルとして貼り付け…"

# Runs in a process of its own for each file manager: Nautilus' bindings use
# GTK 4, Caja's GTK 3, and one process cannot load both.
HARNESS = r"""
import importlib.util, sys
import gi
from gi.repository import Gio, GObject
location = importlib.util.spec_from_file_location("extension", sys.argv[1])
extension = importlib.util.module_from_spec(location)
location.loader.exec_module(extension)
provider_class = [c for c in vars(extension).values()
                  if isinstance(c, type) and issubclass(c, GObject.GObject)
                  and c.__module__ == "extension"][0]
provider = provider_class()

class Folder:
    def __init__(self, location):
        self.location = location
    def get_location(self):
        return self.location

def items(location):
    folder = Folder(location)
    # Nautilus 43 passes the folder alone, Caja the window and the folder.
    return provider.get_background_items(*([None, folder] if sys.argv[3] == "caja" else [folder]))

remote = items(Gio.File.new_for_uri("sftp://nowhere.invalid/folder"))
assert remote == [], remote
local = items(Gio.File.new_for_path(sys.argv[2]))
assert len(local) == 1, local
print(local[0].props.label)
print(local[0].props.icon)
local[0].activate()
"""


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def run(argv, env, **kwargs):
    return subprocess.run(argv, env=env, capture_output=True, text=True, timeout=60, **kwargs)


def wait_for_window(env, title, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = run(["xdotool", "search", "--onlyvisible", "--name", title], env)
        if found.returncode == 0 and found.stdout.strip():
            return found.stdout.split()[0]
        time.sleep(0.2)
    return None


def check_extension(kind, prefix, env, work):
    extension = {
        "nautilus": f"{prefix}/share/nautilus-python/extensions/sorvak-nautilus.py",
        "caja": f"{prefix}/share/caja-python/extensions/sorvak-caja.py",
    }[kind]
    folder = os.path.join(work, kind + " folder")
    os.makedirs(folder)
    # Another program owns the clipboard with text.
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=f"from {kind}".encode(),
                   env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    # Into a file, not a pipe: the program it starts keeps its output open.
    report = os.path.join(work, kind + ".out")
    with open(report, "w") as out:
        harness = subprocess.run(["/usr/bin/python3", "-c", HARNESS, extension, folder, kind],
                                 env=env, stdout=out, stderr=subprocess.STDOUT, timeout=60)
    with open(report) as out:
        lines = out.read().splitlines()
    if harness.returncode != 0:
        fail(f"{kind} extension: {lines}")
    label, icon = lines[:2]
    if label != LABEL or icon != "sorvak":
        fail(f"{kind} item shows [{label}] with icon [{icon}]")
    # The item started the installed program: its text dialog opens in the folder.
    window = wait_for_window(env, TEXT_DIALOG)
    if window is None:
        fail(f"{kind}: no text dialog appeared")
    run(["xdotool", "mousemove", "0", "0", "windowfocus", "--sync", window], env)
    run(["xdotool", "type", "--delay", "20", "pasted.txt"], env)
    run(["xdotool", "key", "Return"], env)
    target = os.path.join(folder, "pasted.txt")
    deadline = time.monotonic() + 20
    while not os.path.exists(target) and time.monotonic() < deadline:
        time.sleep(0.1)
    with open(target, "rb") as saved:
        if saved.read() != f"from {kind}\r\n".encode():
            fail(f"{kind}: saved text differs")
    print(f"ok: {kind} extension saved into {folder}")


def check_keyfiles(prefix):
    from gi.repository import GLib

    nemo = GLib.KeyFile()
    nemo.load_from_file(f"{prefix}/share/nemo/actions/sorvak.nemo_action",
                        GLib.KeyFileFlags.KEEP_TRANSLATIONS)
    group = "Nemo Action"
    exec_line = nemo.get_string(group, "Exec")
    expected = f"'{prefix}/bin/sorvak' --folder %P"
    if exec_line != expected or nemo.get_string(group, "Selection") != "None":
        fail(f"Nemo action: Exec [{exec_line}], expected [{expected}] with no selection")
    argv = GLib.shell_parse_argv(exec_line.replace("%P", "/some folder"))[1]
    if argv[0] != f"{prefix}/bin/sorvak" or not os.access(argv[0], os.X_OK):
        fail(f"Nemo action does not start the installed program: {argv}")
    # English for every language but Japanese.
    for language, name in (("en", "Paste Clipboard as File…"), ("de", "Paste Clipboard as File…"),
                           ("ja", LABEL)):
        if nemo.get_locale_string(group, "Name", language) != name:
            fail(f"Nemo action's name under {language} is not {name}")

    menu = f"{prefix}/share/kio/servicemenus/sorvak-paste.desktop"
    validated = run(["desktop-file-validate", menu], os.environ.copy())
    # The validator knows application entries only; the keys a KDE service
    # menu is made of are reported for Type=Service, anything else is a fault.
    service_keys = ('key "MimeType" is present in group "Desktop Entry", but the type is "Service"',
                    'key "Actions" is present in group "Desktop Entry", but the type is "Service"')
    faults = [line for line in validated.stdout.splitlines() + validated.stderr.splitlines()
              if line.strip() and not any(key in line for key in service_keys)]
    if faults:
        fail("service menu: " + "; ".join(faults))
    keys = GLib.KeyFile()
    keys.load_from_file(menu, GLib.KeyFileFlags.NONE)
    action = "Desktop Action PasteClipboardAsFile"
    if keys.get_string(action, "Exec") != f'"{prefix}/bin/sorvak" --folder %f':
        fail("service menu Exec: " + keys.get_string(action, "Exec"))
    if "inode/directory" not in keys.get_string("Desktop Entry", "MimeType"):
        fail("service menu is not offered for folders")
    print("ok: Nemo action and Dolphin service menu")


def check_thunar(prefix, work):
    import shlex
    import xml.etree.ElementTree as ElementTree

    config = os.path.join(work, "thunar-config")
    os.makedirs(os.path.join(config, "Thunar"))
    uca = os.path.join(config, "Thunar", "uca.xml")
    theirs = ('<?xml version="1.0" encoding="UTF-8"?>\n<actions>\n<action>\n'
              '\t<icon>utilities-terminal</icon>\n\t<name>Open Terminal Here</name>\n'
              '\t<unique-id>1-1</unique-id>\n\t<command>exo-open --working-directory %f'
              '</command>\n\t<directories/>\n</action>\n</actions>\n')
    with open(uca, "w") as out:
        out.write(theirs)
    env = dict(os.environ, XDG_CONFIG_HOME=config, LC_ALL="C.UTF-8")
    env.pop("DISPLAY", None)
    for attempt in range(2):
        added = run([f"{prefix}/bin/sorvak", "--add-thunar-action"], env)
        if added.returncode != 0 or added.stderr:
            fail(f"--add-thunar-action: status {added.returncode}, {added.stderr}")
    actions = ElementTree.parse(uca).getroot().findall("action")
    if [a.findtext("unique-id") for a in actions] != ["1-1", "sorvak-paste-clipboard-as-file"]:
        fail("uca.xml does not hold their action and ours once")
    with open(uca) as text:
        if not text.read().startswith(theirs[: theirs.index("</actions>")]):
            fail("their actions changed")
    command = shlex.split(actions[1].findtext("command"))
    if command != [f"{prefix}/bin/sorvak", "--folder", "%f"] or actions[1].find("directories") is None:
        fail(f"our Thunar action runs {command}")
    print("ok: Thunar action added once beside the user's own")


def main():
    work = tempfile.mkdtemp(prefix="sorvak-actions-")
    server = None
    try:
        prefix = os.path.join(work, "prefix with space")
        subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        check_keyfiles(prefix)
        check_thunar(prefix, work)

        read_fd, write_fd = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                                   "1600x1200x24", "-nolisten", "tcp", "-noreset"],
                                  pass_fds=[write_fd], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as display_number:
            display = ":" + display_number.readline().strip()
        runtime = os.path.join(work, "runtime")
        os.mkdir(runtime, 0o700)
        env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=runtime, HOME=work,
                   XDG_CONFIG_HOME=os.path.join(work, "config"), LANG="ja_JP.UTF-8",
                   LC_ALL="C.UTF-8", LANGUAGE="ja", QT_QPA_PLATFORM="xcb")
        for kind in ("nautilus", "caja"):
            check_extension(kind, prefix, env, work)
    finally:
        if server is not None:
            server.kill()
            server.wait()
        shutil.rmtree(work, ignore_errors=True)


main()
