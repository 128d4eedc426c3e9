#!/usr/bin/python3
"""Drives the real program under a virtual X server through its File menu:
printing, the preview, the exports and e-mail.

  1. File > Print to a printer of a private CUPS server (its own folder and
     socket; a file as its device) with two collated copies: the job holds
     the pages 1, 2, ..., 1, 2, ... in order;
  2. File > Print preview shows page 1, Page Down shows page 2, Ctrl+P
     prints from the preview;
  3. File > Export > Picture as BMP, GIF, JPEG and EMF, and PDF, each read
     back by a decoder the program did not write (PIL, pdfinfo);
  4. File > Export > WAVE: the file plays as long as the score and sounds
     at the frequency of its note;
  5. the mail password typed in Service > Settings lands in its own file,
     the user's alone; File > Send by e-mail to a local SMTP server
     (127.0.0.1, STARTTLS with a self-signed certificate) logs in with it
     after STARTTLS, and the message arrives with its subject,
     body, recipients and the score attached byte for byte; a server
     without TLS gets no password and the dialog stays; a refused
     connection shows its message and the dialog stays;
  6. Help > About shows the window in the outline of its picture.

usage: walkthrough_print.py PROGRAM SCOREDIR OUTDIR   (run under xvfb-run)
"""
import asyncio
import os
import shutil
import socket
import ssl
import subprocess
import sys
import threading
import time

from Xlib import display

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from walkthrough import Keys, check, wait  # noqa: E402
from window_edit import click_screen, windows  # noqa: E402
from window_smoke import answer_first_run, crop, screenshot, window_rect  # noqa: E402

TITLE = "Quillstave 4"
PRINTER = "QuillstaveTest"

# A printer that takes PDF and makes the copies itself, on A4 paper.
PPD = """*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "QSTEST.PPD"
*Manufacturer: "Quillstave"
*Product: "(Quillstave test printer)"
*ModelName: "Quillstave test printer"
*ShortNickName: "Quillstave test printer"
*NickName: "Quillstave test printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsManualCopies: True
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
"""


class PrivateCups:
    """cupsd in the foreground on a socket in a folder of its own, with one
    printer whose device is a file; error says why it could not start."""

    def __init__(self, outdir):
        self.error = ""
        self.proc = None
        self.folder = os.path.join(outdir, "cups")
        self.socket = os.path.join(self.folder, "cups.sock")
        if not os.access("/usr/sbin/cupsd", os.X_OK) or not shutil.which("lpadmin"):
            self.error = "cupsd or lpadmin is not installed (tools/install-deps.sh installs them)"
            return
        shutil.rmtree(self.folder, ignore_errors=True)
        for sub in ["spool", "cache", "state", "tmp", "log", "ppd", "out"]:
            os.makedirs(os.path.join(self.folder, sub))
        # The server gives up root for its filters: they must reach everything.
        for root, dirs, files in os.walk(self.folder):
            for name in dirs + files:
                os.chmod(os.path.join(root, name), 0o777)
        os.chmod(self.folder, 0o777)
        f = self.folder
        self.write("cupsd.conf", "Listen %s\nLogLevel warn\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                   "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n<Policy default>\n"
                   "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n" % self.socket)
        self.write("cups-files.conf", "ServerRoot {0}\nStateDir {0}/state\nCacheDir {0}/cache\nRequestRoot {0}/spool\n"
                   "TempDir {0}/tmp\nErrorLog {0}/log/error_log\nAccessLog {0}/log/access_log\n"
                   "PageLog {0}/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                   "FileDevice Yes\n".format(f))
        self.write("printer.ppd", PPD)
        log = open(os.path.join(f, "log", "cupsd.out"), "w")
        self.proc = subprocess.Popen(["/usr/sbin/cupsd", "-f", "-c", os.path.join(f, "cupsd.conf"),
                                      "-s", os.path.join(f, "cups-files.conf")], stdout=log, stderr=log)
        self.env = dict(os.environ, CUPS_SERVER=self.socket)
        deadline = time.time() + 30
        while not os.path.exists(self.socket) and time.time() < deadline:
            if self.proc.poll() is not None:
                self.error = "cupsd stopped at once"
                return
            time.sleep(0.1)
        if not os.path.exists(self.socket):
            self.error = "cupsd made no socket"
            return
        if subprocess.run(["lpadmin", "-p", PRINTER, "-E", "-v", "file://" + self.output(), "-P",
                           os.path.join(f, "printer.ppd")], env=self.env, capture_output=True).returncode:
            self.error = "lpadmin could not add the printer"
            return
        subprocess.run(["lpadmin", "-d", PRINTER], env=self.env, capture_output=True)

    def write(self, name, text):
        path = os.path.join(self.folder, name)
        with open(path, "w") as out:
            out.write(text)
        os.chmod(path, 0o777)

    def output(self):
        return os.path.join(self.folder, "out", "job.pdf")

    def take_job(self, seconds=90):
        """The next finished job's PDF file (moved aside), or None."""
        deadline = time.time() + seconds
        while time.time() < deadline:
            busy = subprocess.run(["lpstat", "-o", PRINTER], env=self.env, capture_output=True, text=True).stdout
            if os.path.exists(self.output()) and os.path.getsize(self.output()) > 0 and not busy.strip():
                time.sleep(0.5)
                taken = self.output() + ".%d.pdf" % int(time.time() * 1000)
                os.rename(self.output(), taken)
                return taken
            time.sleep(0.2)
        return None

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait()


def private_program(program, outdir):
    """The program linked into a folder of its own with its language files
    and resources, so that its settings file (beside it) is this test's."""
    bindir = os.path.join(outdir, "bin")
    shutil.rmtree(bindir, ignore_errors=True)
    os.makedirs(bindir)
    source = os.path.dirname(os.path.realpath(program))
    target = os.path.join(bindir, os.path.basename(program))
    try:
        os.link(os.path.realpath(program), target)
    except OSError:
        shutil.copy2(program, target)
    for name in os.listdir(source):
        if name.endswith(".lrf") or name == "resources":
            os.symlink(os.path.realpath(os.path.join(source, name)), os.path.join(bindir, name))
    return target


def pdf_pages(path):
    info = subprocess.run(["pdfinfo", path], capture_output=True, text=True, check=True).stdout
    return int([line.split()[-1] for line in info.splitlines() if line.startswith("Pages:")][0])


def pdf_page_picture(path, page):
    """A small grey picture of one page, as bytes, to compare pages."""
    return subprocess.run(["pdftoppm", "-r", "12", "-gray", "-singlefile", "-f", str(page), "-l", str(page), path],
                          capture_output=True, check=True).stdout


# ---------------------------------------------------------------- SMTP

def self_signed_certificate(folder):
    key, cert = os.path.join(folder, "key.pem"), os.path.join(folder, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                    "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert],
                   check=True, capture_output=True)
    return key, cert


class MailServer:
    """An SMTP server on 127.0.0.1 that keeps what arrives: with tls it
    offers STARTTLS and takes a login only after it; without, it offers no
    TLS and records any login attempt."""

    def __init__(self, tls_files=None):
        from aiosmtpd.controller import Controller
        from aiosmtpd.smtp import AuthResult, SMTP
        self.messages, self.logins, self.commands = [], [], []
        server = self

        class Handler:
            async def handle_DATA(self, smtp, session, envelope):
                server.messages.append((envelope.mail_from, list(envelope.rcpt_tos), envelope.content))
                return "250 OK"

        def authenticate(smtp, session, envelope, mechanism, auth_data):
            server.logins.append((mechanism, auth_data.login, auth_data.password))
            return AuthResult(success=True)

        context = None
        if tls_files:
            context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
            context.load_cert_chain(tls_files[1], tls_files[0])

        class Recording(SMTP):
            async def smtp_AUTH(self, arg):
                server.commands.append("AUTH")
                return await super().smtp_AUTH(arg)

        class RecordingController(Controller):
            def factory(self):
                return Recording(self.handler, **self.SMTP_kwargs)

        kwargs = dict(authenticator=authenticate, auth_require_tls=bool(tls_files), auth_exclude_mechanism=[])
        if tls_files:
            kwargs.update(tls_context=context, require_starttls=True)
        self.port = free_port()
        self.controller = RecordingController(Handler(), hostname="127.0.0.1", port=self.port, **kwargs)
        self.controller.start()

    def stop(self):
        self.controller.stop()


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


# ---------------------------------------------------------------- sound

def read_wave(path):
    import wave
    with wave.open(path, "rb") as w:
        rate, channels, width, frames = w.getframerate(), w.getnchannels(), w.getsampwidth(), w.getnframes()
        data = w.readframes(frames)
    import array
    samples = array.array("h")
    samples.frombytes(data[:len(data) - len(data) % 2])
    if channels == 2:
        samples = samples[0::2]
    return rate, frames, samples


def strongest_frequency(samples, rate, start_s, low=150, high=1200, step=2):
    """The frequency (Hz) of the strongest tone in a quarter second from
    start_s, by the Goertzel filter over the band."""
    import math
    n = rate // 4
    first = int(start_s * rate)
    block = [samples[first + i] / 32768.0 for i in range(n)]
    best, best_power = 0, -1.0
    for f in range(low, high, step):
        coeff = 2 * math.cos(2 * math.pi * f / rate)
        s1 = s2 = 0.0
        for x in block:
            s0 = x + coeff * s1 - s2
            s2, s1 = s1, s0
        power = s1 * s1 + s2 * s2 - coeff * s1 * s2
        if power > best_power:
            best, best_power = f, power
    return best


# ---------------------------------------------------------------- the walk

class Session:
    """One run of the program on a score, driven through the X server."""

    def __init__(self, d, program, score, env):
        self.d = d
        self.keys = Keys(d)
        self.proc = subprocess.Popen([program, score], env=env)
        wait("the main window", lambda: self.proc.poll() is None and windows(d, TITLE))
        answer_first_run(d)
        self.main = windows(d, TITLE)[0]
        time.sleep(1.5)
        self.point_at(self.main)

    def point_at(self, window):
        """The pointer over a window: without a window manager the keys go
        to the window under the pointer."""
        from Xlib import X
        from Xlib.ext import xtest
        x, y, w, h = window_rect(self.d, window)
        xtest.fake_input(self.d, X.MotionNotify, x=x + w // 2, y=y + min(h // 2, 12))
        self.d.sync()
        time.sleep(0.3)

    def others(self):
        return {w.id for w in windows(self.d, "") if w.id != self.main.id}

    def new_window(self, before, what, title=""):
        """Waits for a window that was not there before and points at it."""
        found = []

        def appeared():
            if self.proc.poll() is not None:
                raise AssertionError("the program ended (status %s) while waiting for %s" % (self.proc.poll(), what))
            found[:] = [w for w in windows(self.d, title) if w.id not in before and w.id != self.main.id]
            return found
        wait(what, appeared)
        time.sleep(0.8)
        self.point_at(found[0])
        return found[0]

    def gone(self, window, what):
        wait(what, lambda: window.id not in {w.id for w in windows(self.d, "")})
        time.sleep(0.3)

    def menu(self, entry, *letters):
        self.point_at(self.main)
        self.keys.press(entry, "Alt_L")
        time.sleep(0.3)
        for letter in letters:
            self.keys.press(letter)
            time.sleep(0.2)

    def save_dialog(self, before, path):
        dialog = self.new_window(before, "the file dialog")
        self.keys.type(path)
        self.keys.press("Return")
        return dialog

    def stop(self):
        self.proc.kill()
        self.proc.wait()


def print_dialog_copies(s, before, copies, collate):
    """The system print dialog: its options opened, the copies typed and
    collation checked, then Print."""
    dialog = s.new_window(before, "the print dialog")
    s.keys.press("o", "Alt_L")
    time.sleep(0.8)
    for _ in range(6):
        s.keys.press("Tab")
    s.keys.type(str(copies))
    s.keys.press("Tab")
    if collate:
        s.keys.press("space")
    s.keys.press("Return")
    s.gone(dialog, "the print dialog to close")


def check_print_job(cups, pages, copies, what):
    job = cups.take_job()
    check(job is not None, what + ": the job arrived at the printer")
    check(pdf_pages(job) == pages * copies, "%s: %d sheets (%d pages, %d copies)" % (what, pdf_pages(job), pages, copies))
    sheets = [pdf_page_picture(job, n) for n in range(1, pages * copies + 1)]
    check(len(set(sheets[:pages])) == pages, what + ": the pages of one copy differ from each other")
    check(all(sheets[i] == sheets[i % pages] for i in range(len(sheets))),
          what + ": every copy holds the pages in order 1..%d" % pages)


def run(program, scores, outdir):
    from PIL import Image
    d = display.Display()
    cups = PrivateCups(outdir)
    mail_tls = mail_plain = s = None
    try:
        mail_tls = MailServer(self_signed_certificate(outdir))
        mail_plain = MailServer()
        program = private_program(program, outdir)
        bindir = os.path.dirname(program)
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        env["XDG_CONFIG_HOME"] = env["XDG_DATA_HOME"] = os.path.join(outdir, "home")
        env["SSL_CERT_FILE"] = os.path.join(outdir, "cert.pem")
        if not cups.error:
            env["CUPS_SERVER"] = cups.socket
        score = os.path.join(outdir, "pages.xml")
        shutil.copyfile(os.path.join(scores, "pages.xml"), score)

        def settings(port):
            with open(os.path.join(bindir, "ProgramSetting.ini"), "w", encoding="utf-8") as ini:
                # The settings dialog opens on its Mail page.
                ini.write("[Mail]\nSMTPServer=127.0.0.1\nPort=%d\nAuthentication=1\nUserId=composer\n"
                          "Address=composer@example.org\nMailName=Jörg Komponist\nUseSmtp=1\n"
                          "[SettingsForm]\nPageIndex=2\n" % port)
        settings(mail_tls.port)

        s = Session(d, program, score, env)
        # 1. File > Print, two collated copies.
        if cups.error:
            print("skipped: printing (no print server: %s)" % cups.error)
        else:
            before = s.others()
            s.menu("f", "p")
            print_dialog_copies(s, before, 2, True)
            check_print_job(cups, 3, 2, "File > Print")
        # 2. File > Print preview: page 1, then page 2; Print from it.
        before = s.others()
        s.menu("f", "v")
        preview = s.new_window(before, "the preview", "preview")

        def page_shot(name):
            fw, _, full = screenshot(os.path.join(outdir, name + ".ppm"))
            return crop(fw, full, window_rect(d, preview))
        first = page_shot("preview-1")
        s.keys.press("Next")
        wait("page 2 in the preview", lambda: page_shot("preview-2") != first, 20)
        second = page_shot("preview-2")
        def inked(shot):
            w, h, p = shot
            return sum(1 for i in range(0, w * h * 3, 3) if p[i] < 80 and p[i + 1] < 80 and p[i + 2] < 80)
        check(inked(first) > 300 and inked(second) > 300, "the preview shows the notes of page 1 and of page 2")
        check(first != second, "Page Down shows page 2 in the preview")
        if not cups.error:
            before = s.others()
            s.keys.press("p", "Control_L")
            dialog = s.new_window(before, "the print dialog from the preview")
            s.keys.press("Return")
            s.gone(dialog, "the print dialog to close")
            check_print_job(cups, 3, 1, "Print from the preview")
        s.point_at(preview)
        s.keys.press("Escape")
        s.gone(preview, "the preview to close")

        # 3. Pictures and PDF, read back by other decoders.
        def export(letter, path, what, seconds=60):
            """File > Export > the entry: the file named, its options
            confirmed; waits until the file is written and the options go."""
            before = s.others()
            s.menu("f", "e", letter)
            chooser = s.save_dialog(before, path)
            options = s.new_window(before | {chooser.id}, what)
            s.keys.press("Return")
            wait("the file of " + what, lambda: os.path.exists(path) and os.path.getsize(path) > 0, seconds)
            s.gone(options, what + " to close")

        for ext, fmt in [("bmp", "BMP"), ("gif", "GIF"), ("jpg", "JPEG"), ("emf", "WMF")]:
            path = os.path.join(outdir, "page." + ext)
            export("p", path, "the %s export options" % fmt)
            with Image.open(path) as im:
                width, height = im.size
                check(im.format == fmt, "%s: the file is read as %s" % (path, im.format))
            check(780 <= width <= 800 and abs(height / width - 3 * 297 / 210) < 0.02,
                  "%s: three A4 pages one below the other (%d x %d)" % (path, width, height))
        pdf = os.path.join(outdir, "score.pdf")
        export("d", pdf, "the PDF options")
        info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
        check(pdf_pages(pdf) == 3 and "595" in info and "842" in info, "the PDF holds the three A4 pages")

        # 4. WAVE: twelve whole notes at 60 a minute, G4, C5 and E4.
        wav = os.path.join(outdir, "score.wav")
        export("w", wav, "the WAVE export", 240)
        rate, frames, samples = read_wave(wav)
        seconds = frames / rate
        check(47.5 <= seconds <= 52, "the WAVE file lasts as long as the score: %.1f s" % seconds)
        for at, hz, name in [(2.0, 392, "G4"), (18.0, 523, "C5"), (34.0, 330, "E4")]:
            f = strongest_frequency(samples, rate, at)
            check(abs(f - hz) <= hz * 0.02, "at %.0f s the strongest tone is %s (%d Hz): %d Hz" % (at, name, hz, f))

        # 5. E-mail. The account's password typed on the Mail page of Service >
        # Settings goes into a file of its own, the user's alone, never into
        # the settings file.
        before = s.others()
        s.menu("w")  # Service has no access key: from Windows one to the left
        for key in ("Left", "Left", "Down", "s"):
            s.keys.press(key)
            time.sleep(0.3)
        dialog = s.new_window(before, "the settings dialog", "Settings")
        x, y, _, _ = window_rect(d, dialog)
        click_screen(d, x + 330, y + 253)  # the password field
        time.sleep(0.5)
        s.keys.type("s3cret")
        s.keys.press("Return")
        s.gone(dialog, "the settings dialog to close")
        password = os.path.join(bindir, "MailPassword")
        wait("the password file", lambda: os.path.exists(password), 10)
        with open(password) as f:
            check(f.read() == "s3cret", "the password typed in the settings is in its file")
        check(os.stat(password).st_mode & 0o777 == 0o600, "the password file is readable by the user alone")
        with open(os.path.join(bindir, "ProgramSetting.ini"), encoding="utf-8") as f:
            check("s3cret" not in f.read(), "the settings file does not hold the password")

        # The score saved as a native file first.
        native = os.path.join(outdir, "Etude.sfd")
        before = s.others()
        s.menu("f", "a")
        s.save_dialog(before, native)
        wait("the native file", lambda: os.path.exists(native))
        time.sleep(0.5)

        def mail_dialog():
            before = s.others()
            s.menu("f", "m")
            dialog = s.new_window(before, "the mail dialog")
            s.keys.type("Anna Berg <anna@example.org>; bob@example.org")
            s.keys.press("Tab")
            s.keys.type("Carl <carl@example.org>")
            s.keys.press("Tab")
            # The subject comes preset with the file's name: replaced.
            s.keys.press("End")
            for _ in range(len("Etude")):
                s.keys.press("BackSpace")
            s.keys.type("Etude for flute")
            s.keys.press("Tab")
            s.keys.type("Here is the score.")
            s.keys.press("Tab")
            shown = s.others()
            s.keys.press("Return")
            return dialog, shown

        dialog, _ = mail_dialog()
        s.gone(dialog, "the mail dialog to close after sending")
        wait("the message at the server", lambda: mail_tls.messages, 30)
        sender, recipients, content = mail_tls.messages[0]
        import email
        from email import policy
        message = email.message_from_bytes(content, policy=policy.default)
        check(sender == "composer@example.org", "the message comes from the account's address")
        check(sorted(recipients) == ["anna@example.org", "bob@example.org", "carl@example.org"],
              "the server was given the two recipients and the copy recipient: %s" % recipients)
        check(str(message["Subject"]) == "Etude for flute", "the subject arrives: %s" % message["Subject"])
        check("Anna Berg" in str(message["To"]) and "carl@example.org" in str(message["Cc"]),
              "To and Cc name the recipients")
        check(str(message["From"]) == "Jörg Komponist <composer@example.org>",
              "the sender's name arrives encoded and whole: %s" % message["From"])
        parts = list(message.iter_attachments())
        body = message.get_body(("plain",)).get_content()
        check(body.strip() == "Here is the score.", "the body arrives")
        with open(native, "rb") as f:
            check(len(parts) == 1 and parts[0].get_filename() == "Etude.sfd"
                  and parts[0].get_content() == f.read(), "the score is attached byte for byte")
        # The server takes a login only after STARTTLS.
        check([(user, password) for _, user, password in mail_tls.logins] == [(b"composer", b"s3cret")],
              "the account logged in after STARTTLS")

        # 6. Help > About: the window takes the picture's outline (rounded
        # corners, the ornament on top) and a key closes it.
        before = s.others()
        s.menu("h", "a")
        about = s.new_window(before, "the About window", "About")
        from Xlib.ext import shape
        rects = about.shape_get_rectangles(shape.SK.Bounding).rectangles
        _, _, width, height = window_rect(d, about)

        def shown(x, y):
            return any(r.x <= x < r.x + r.width and r.y <= y < r.y + r.height for r in rects)
        check(len(rects) > 4 and shown(width // 2, height // 2) and shown(466, 8) and not shown(2, 2)
              and not shown(300, 40) and not shown(width - 2, height - 2),
              "the About window is shaped like its picture (%d rectangles)" % len(rects))
        s.keys.press("Escape")
        s.gone(about, "the About window to close")
        s.stop()

        # A server without TLS gets no password; a refused connection says so.
        for port, what in [(mail_plain.port, "a server without TLS"), (free_port(), "a refused connection")]:
            settings(port)
            s = Session(d, program, native, env)
            dialog, shown = mail_dialog()
            box = s.new_window(shown, "the message of " + what, "Send by e-mail")
            check(dialog.id in s.others(), "with %s the mail dialog stays open" % what)
            s.keys.press("Return")
            s.gone(box, "the message to close")
            check(s.proc.poll() is None, "with %s the program goes on" % what)
            s.stop()
        check(not mail_plain.logins and "AUTH" not in mail_plain.commands and not mail_plain.messages,
              "the server without TLS got neither a password nor a message")
    except AssertionError:
        subprocess.run(["import", "-window", "root", os.path.join(outdir, "failure.ppm")])
        raise
    finally:
        # Whatever was started goes, also after a failure while starting.
        for started in (s, mail_tls, mail_plain, cups):
            if started:
                started.stop()


def main():
    program, scores, outdir = sys.argv[1:4]
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(outdir, exist_ok=True)
    try:
        run(program, scores, outdir)
    except AssertionError as e:
        print("FAILED:", e)
        # What the screen showed, for the report.
        subprocess.run(["import", "-window", "root", os.path.join(outdir, "failure.ppm")])
        return 1
    print("walkthrough of printing, exports and e-mail passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
