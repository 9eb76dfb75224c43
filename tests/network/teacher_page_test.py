#!/usr/bin/python3
"""The teacher's page in a real browser: headless Chromium through chromedriver, against the real
classroom manager and three headless pupils on the demo course.

Exit codes: 0 passed, 1 failed, 77 skipped (Chromium cannot start here; the reason is printed).
"""
import argparse
import base64
import http.client
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.parse

SKIP = 77
TEACHER_TOKEN = "teacher-7f3a-token"
CLASS_TOKEN = "room-12-token"
STUDENTS = {1: "Ann", 2: "Bob", 3: "Cleo <i>&amp; co"}  # the third name tests escaping


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, seconds, description, step=0.25):
    end = time.monotonic() + seconds
    while True:
        value = what()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + description)
        time.sleep(step)


def course_home(tmp, demo):
    """The demo course, linked into a folder of our own with a configuration that logs the calls."""
    home = os.path.join(tmp, "course")
    os.makedirs(os.path.join(home, "data"))
    for name in os.listdir(os.path.join(demo, "data")):
        os.symlink(os.path.join(demo, "data", name), os.path.join(home, "data", name))
    os.symlink(os.path.join(demo, "Update"), os.path.join(home, "Update"))
    for doc in ("Licence.rtf", "PCReadMe.rtf"):
        if os.path.exists(os.path.join(demo, doc)):
            os.symlink(os.path.join(demo, doc), os.path.join(home, doc))
    with open(os.path.join(home, "sconfig.txt"), "w") as f:
        f.write("[Defaults]\r\nNewUser=0\r\nDebug=1\r\nNetDebug=1\r\n")
    return home


def pupil_script(dir_, n):
    """Pupil 1 first opens the first topic's menu and comes back, once the test has seen its main
    menu; then every pupil plays the quiz's clicks (the same on every computer) and waits."""
    xs = [403, 604, 504, 485, 600, 303, 704]
    ys = [494, 491, 469, 573, 575, 548, 527]
    lines = []
    if n == 1:
        lines += ["expect-screen TForm_CustomStart", "click 512 650", "wait 1000", "expect-screen TForm_StartNew",
                  "click 811 719", "wait 1000", "expect-screen TForm_Menu", "wait 1000", "shot %s/start.png" % dir_,
                  "pause 15", "click 514 191", "wait 1500", "expect-screen TForm_WordsMenu",
                  "shot %s/words.png" % dir_, "pause 4", "click 982 729", "wait 1500"]
    lines += ["expect-screen TForm_Menu", "await-screen TForm_QuizEasy 180", "wait 2500"]
    for _ in range(3):
        for x, y in zip(xs, ys):
            lines += ["wait 1500", "click %d %d" % (x, y)]
    lines += ["wait 1000", "shot %s/played.png" % dir_, "await-screen TForm_Menu 180", "shot %s/menu.png" % dir_,
              "await-end 300"]
    return "\n".join(lines) + "\n"


class Room:
    def __init__(self, args, tmp):
        self.args, self.tmp = args, tmp
        self.procs = []
        self.home = course_home(tmp, args.demo)
        self.roster = os.path.join(tmp, "roster.txt")
        with open(self.roster, "w") as f:
            f.write("# pupil,student,target\n")
            for n, name in STUDENTS.items():
                f.write("%d,%s,3\n" % (n, name))
        ports = os.path.join(tmp, "ports.txt")
        env = dict(os.environ, PARLORA_CLASSROOM_TOKEN=CLASS_TOKEN, PARLORA_CLASSROOM_TEACHER_TOKEN=TEACHER_TOKEN)
        self.manager = self.start([args.classroom, "serve", "--listen", "127.0.0.1:0", "--admin", "127.0.0.1:0",
                                   "--roster", self.roster, "--db", os.path.join(tmp, "class.sqlite"),
                                   "--port-file", ports, "--web", "127.0.0.1:0"], env, "serve.log")
        wait_for(lambda: os.path.exists(ports) or self.manager.poll() is not None, 20, "the manager")
        check(self.manager.poll() is None, "the manager ended: " + self.read("serve.log"))
        values = dict(line.split("=", 1) for line in open(ports).read().split())
        self.pupils, self.admin, self.web = values["pupils"], values["admin"], values["web"]
        self.codes = {}
        for line in self.cli("enrol").splitlines()[1:]:
            fields = line.split("\t")
            self.codes[int(fields[0])] = fields[2]

    def start(self, argv, env, log):
        out = open(os.path.join(self.tmp, log), "w")
        p = subprocess.Popen(argv, env=env, stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.procs.append(p)
        return p

    def read(self, name):
        try:
            return open(os.path.join(self.tmp, name), errors="replace").read()
        except OSError:
            return ""

    def cli(self, *argv):
        env = dict(os.environ, PARLORA_CLASSROOM_TEACHER_TOKEN=TEACHER_TOKEN)
        return subprocess.run([self.args.classroom, "--admin", self.admin] + list(argv), env=env, check=True,
                              capture_output=True, text=True, timeout=30).stdout

    def start_pupil(self, n):
        dir_ = os.path.join(self.tmp, "pupil%d" % n)
        os.makedirs(os.path.join(dir_, "run"), mode=0o700)
        with open(os.path.join(dir_, "script.txt"), "w") as f:
            f.write(pupil_script(dir_, n))
        env = dict(os.environ, PARLORA_HOME=self.home, HOME=dir_, XDG_DATA_HOME=dir_ + "/data",
                   XDG_CONFIG_HOME=dir_ + "/config", XDG_RUNTIME_DIR=dir_ + "/run", PARLORA_CLASSROOM=self.pupils,
                   PARLORA_CLASSROOM_TOKEN=CLASS_TOKEN, PARLORA_CLASSROOM_CODE=self.codes[n], PARLORA_DISC_MOUNTS="")
        # Pupil 1 starts as a course does outside quiz mode: it may leave the main menu.
        self.start([self.args.parlora, "--headless", "--script=" + dir_ + "/script.txt", "remote=%d" % n] +
                   ([] if n == 1 else ["quiz"]), env, "pupil%d.log" % n)

    def shot(self, n, name):
        return os.path.exists(os.path.join(self.tmp, "pupil%d" % n, name))

    def outputs(self):
        text = ""
        for name in ["serve.log", "pupil1.log", "pupil2.log", "pupil3.log"]:
            text += "--- %s:\n%s\n" % (name, self.read(name)[-3000:])
        return text

    def stop(self):
        for p in self.procs:
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
        for p in self.procs:
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()


def http_get(base, path, cookie=None, method="GET", body=None):
    """A request made outside the browser: status, headers, body."""
    u = urllib.parse.urlsplit(base)
    c = http.client.HTTPConnection(u.hostname, u.port, timeout=10)
    headers = {"Cookie": cookie} if cookie else {}
    if body is not None:
        headers["Content-Type"] = "application/x-www-form-urlencoded"
    c.request(method, path, body=body, headers=headers)
    r = c.getresponse()
    data = r.read()
    c.close()
    return r.status, dict(r.getheaders()), data


def start_browser(download_dir):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for a in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--window-size=1280,900",
              "--no-first-run", "--disable-extensions", "--disable-background-networking"]:
        options.add_argument(a)
    options.add_experimental_option("prefs", {"download.default_directory": download_dir,
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(30)
    return driver


def gallery(driver, args, name):
    if args.gallery:
        os.makedirs(args.gallery, exist_ok=True)
        height = driver.execute_script("return Math.min(2400, document.documentElement.scrollHeight)")
        driver.set_window_size(1280, max(700, int(height)))
        driver.save_screenshot(os.path.join(args.gallery, name))
        driver.set_window_size(1280, 900)


# Loads two pictures of this page's origin and counts the pixels that differ by more than a little.
DIFF_SCRIPT = """
var done = arguments[arguments.length - 1];
function load(src) { return new Promise(function (ok, fail) {
  var i = new Image(); i.onload = function () { ok(i); }; i.onerror = fail; i.src = src; }); }
Promise.all([load(arguments[0]), load(arguments[1])]).then(function (imgs) {
  var w = imgs[0].naturalWidth, h = imgs[0].naturalHeight, data = [];
  imgs.forEach(function (img) {
    var c = document.createElement('canvas'); c.width = w; c.height = h;
    var g = c.getContext('2d'); g.drawImage(img, 0, 0); data.push(g.getImageData(0, 0, w, h).data);
  });
  var n = 0;
  for (var i = 0; i < data[0].length; i += 4)
    if (Math.abs(data[0][i] - data[1][i]) + Math.abs(data[0][i+1] - data[1][i+1]) + Math.abs(data[0][i+2] - data[1][i+2]) > 48) n++;
  done({differing: n, total: w * h});
}).catch(function (e) { done({error: String(e)}); });
"""


def run(args, tmp):
    downloads = os.path.join(tmp, "downloads")
    os.makedirs(downloads)
    try:
        driver = start_browser(downloads)
    except Exception as e:  # noqa: BLE001 - any failure to start the browser is a skip
        print("SKIP: headless Chromium cannot start here: %s" % str(e).splitlines()[0] if str(e) else repr(e))
        return SKIP
    from selenium.webdriver.common.by import By

    room = Room(args, tmp)
    try:
        base = room.web
        # Nothing answers without a session: pages lead to the sign-in, data and pictures are refused.
        for path in ["/", "/app.js", "/class.json", "/screen/1.png?size=s&v=1", "/pupil/1", "/quiz", "/results",
                     "/results.csv", "/roster", "/no/such/page"]:
            status, headers, body = http_get(base, path)
            check(status in (303, 401, 403), "%s answered %d without a session" % (path, status))
            check(b"Ann" not in body and b"Bob" not in body, "%s tells pupils' names without a session" % path)
            if status == 303:
                check(headers.get("Location") == "/signin", "%s leads to %s" % (path, headers.get("Location")))
        for path in ["/quiz/start", "/quiz/stop", "/roster/remove", "/enrol", "/signout"]:
            status, _, _ = http_get(base, path, method="POST", body="pupil=1&activity=276&value=1")
            check(status == 403, "POST %s answered %d without a session" % (path, status))

        for n in STUDENTS:
            room.start_pupil(n)

        # Sign-in refused with a wrong token.
        driver.get(base + "/")
        check(driver.current_url.endswith("/signin"), "not led to the sign-in: " + driver.current_url)
        gallery(driver, args, "signin.png")
        driver.find_element(By.ID, "token").send_keys("not-the-token")
        driver.find_element(By.CSS_SELECTOR, "main button[type=submit]").click()
        # The click only sends the form: the answer's page comes when it comes (slowly under sanitizers).
        alert = wait_for(lambda: driver.execute_script(
            "return Array.from(document.querySelectorAll('[role=alert]')).map(function (e) { return e.textContent; })"
            ".join(' ')"), 20, "the refusal of a wrong token")
        check("Wrong teacher's token" in alert, "no refusal shown: " + alert)
        check(driver.get_cookie("parlora_session") is None, "a session cookie after a wrong token")
        driver.get(base + "/")
        check(driver.current_url.endswith("/signin"), "a page after a wrong token: " + driver.current_url)

        driver.find_element(By.ID, "token").send_keys(TEACHER_TOKEN)
        driver.find_element(By.CSS_SELECTOR, "main button[type=submit]").click()
        wait_for(lambda: driver.current_url == base + "/", 10, "the class page")
        cookie = driver.get_cookie("parlora_session")
        check(cookie and cookie["httpOnly"] and cookie.get("sameSite") == "Strict", "session cookie: %r" % cookie)
        session = "parlora_session=" + cookie["value"]

        # The grid: three live thumbnails, the escaped name as text.
        def thumbs():
            imgs = driver.find_elements(By.CSS_SELECTOR, ".grid img")
            shown = [i for i in imgs if i.is_displayed() and i.get_attribute("src") and
                     driver.execute_script("return arguments[0].complete && arguments[0].naturalWidth", i)]
            return shown if len(shown) == 3 else None
        try:
            shown = wait_for(thumbs, 120, "three thumbnails")
        except Failure:
            raise Failure("three thumbnails not shown\n" + room.outputs())
        check(len(driver.find_elements(By.CSS_SELECTOR, ".grid li")) == 3, "not three pupils in the grid")
        names = [e.text for e in driver.find_elements(By.CSS_SELECTOR, ".grid .name")]
        check(names == [STUDENTS[1], STUDENTS[2], STUDENTS[3]], "names shown: %r" % names)
        check(not driver.find_elements(By.CSS_SELECTOR, ".grid i"), "a pupil's name became markup")
        check(all(i.get_attribute("alt").startswith("Screen of ") for i in shown), "thumbnails without text")
        check(all(i.get_attribute("naturalWidth") == "256" for i in shown), "thumbnails not 256 wide")
        time.sleep(1.5)
        gallery(driver, args, "class.png")

        # A pupil's thumbnail changes when that pupil changes screen.
        wait_for(lambda: room.shot(1, "start.png"), 60, "pupil 1 on the main menu")
        time.sleep(2.5)
        thumb1 = driver.find_element(By.CSS_SELECTOR, "[data-pupil='1'] img")
        before = wait_for(lambda: thumb1.get_attribute("src"), 10, "pupil 1's thumbnail")
        check(not room.shot(1, "words.png"), "pupil 1 left the menu too soon for the test")
        wait_for(lambda: room.shot(1, "words.png"), 60, "pupil 1 on the topic's menu")

        def changed():
            src = thumb1.get_attribute("src")
            if src == before:
                return None
            diff = driver.execute_async_script(DIFF_SCRIPT, before, src)
            return diff if diff.get("differing", 0) > diff.get("total", 1) // 5 else None
        wait_for(changed, 20, "pupil 1's thumbnail to show the new screen")
        time.sleep(6)  # pupil 1 goes back to the main menu, where a quiz can start

        # A quiz started from the page brings the pupils into it; their scores arrive live.
        driver.get(base + "/quiz")
        driver.find_element(By.CSS_SELECTOR, "#activity option[value='276']").click()
        value = driver.find_element(By.ID, "value")
        value.clear()
        value.send_keys("4242")
        driver.find_element(By.XPATH, "//button[text()='Start the quiz']").click()
        status = wait_for(lambda: driver.find_elements(By.CSS_SELECTOR, "[role=status]"), 10, "the start message")
        check("sent to 3 pupil(s)" in status[0].text, "quiz start: " + status[0].text)

        def cells(key):
            return driver.execute_script(
                "return Array.from(document.querySelectorAll('#scores [data-k=' + arguments[0] + ']'))"
                ".map(function (e) { return e.textContent; })", key)
        wait_for(lambda: cells("activity") == ["Easy memory quiz: All topics"] * 3, 60, "the pupils in the quiz")
        for n in STUDENTS:
            wait_for(lambda: room.shot(n, "played.png"), 180, "pupil %d's clicks" % n)
        # Still the same page from here on: the scores arrive without a reload.
        check(cells("last") == ["-"] * 3, "final scores before the quiz ended: %r" % cells("last"))
        cli_scores = {}
        for line in room.cli("scores").splitlines()[1:]:
            f = line.split(",")
            cli_scores[int(f[0])] = f[-3]
        wait_for(lambda: cells("quiz") == [cli_scores[n] for n in sorted(cli_scores)], 10,
                 "the page's scores to be the manager's: %r %r" % (cells("quiz"), cli_scores))
        gallery(driver, args, "quiz.png")
        driver.find_element(By.XPATH, "//button[text()='Stop the quiz']").click()
        wait_for(lambda: all(c != "-" for c in cells("last")), 60, "the pupils' final scores")
        finals = {}
        for line in room.cli("scores").splitlines()[1:]:
            f = line.split(",")
            finals[int(f[0])] = f[-2]
        check(cells("last") == [finals[n] for n in sorted(finals)], "final scores %r, the manager's %r" %
              (cells("last"), finals))

        # The pupil's page: the screen larger, the records, the call log escaped.
        driver.get(base + "/")
        driver.find_element(By.CSS_SELECTOR, "[data-pupil='3'] a").click()
        wait_for(lambda: driver.current_url.endswith("/pupil/3"), 10, "pupil 3's page")
        title = wait_for(lambda: driver.execute_script("var h=document.querySelector('h1');return h&&h.textContent.trim()"),
                         10, "the pupil's title")
        check(title == STUDENTS[3], "the pupil's title: %r" % title)
        big = wait_for(lambda: driver.execute_script(
            "var i=document.querySelector('.big img');return i&&i.complete&&i.naturalWidth", ), 20, "the large screen")
        check(big == 1024, "the large screen is %r wide" % big)
        check("SendScore" in driver.find_element(By.CSS_SELECTOR, ".log").text, "no call log")
        gallery(driver, args, "pupil.png")

        # Results, sortable; the CSV download is export-csv's file.
        driver.get(base + "/results")
        rows = lambda: [r.find_element(By.TAG_NAME, "th").text for r in
                        driver.find_elements(By.CSS_SELECTOR, "#results tbody tr")]
        check(rows() == [STUDENTS[1], STUDENTS[2], STUDENTS[3]], "results rows: %r" % rows())
        head = driver.find_element(By.XPATH, "//th/button[text()='Pupil']")
        head.click()
        head.click()
        check(rows() == [STUDENTS[3], STUDENTS[2], STUDENTS[1]], "sorted descending: %r" % rows())
        gallery(driver, args, "results.png")
        driver.find_element(By.LINK_TEXT, "Download the scores (CSV)").click()
        csv_path = os.path.join(downloads, "class-scores.csv")
        wait_for(lambda: os.path.exists(csv_path), 20, "the CSV download")
        cli_csv = os.path.join(tmp, "cli.csv")
        room.cli("export-csv", cli_csv)
        check(open(csv_path, "rb").read() == open(cli_csv, "rb").read(),
              "the download differs from export-csv:\n%s\n%s" % (open(csv_path).read(), open(cli_csv).read()))

        # A change without the form's token is refused, with the session's cookie.
        status = driver.execute_async_script("""
            var done = arguments[0];
            fetch('/quiz/stop', {method: 'POST', body: new URLSearchParams('x=1')}).then(function (r) { done(r.status); });""")
        check(status == 403, "POST without a CSRF token answered %r" % status)
        status = driver.execute_async_script("""
            var done = arguments[0];
            fetch('/quiz/stop', {method: 'POST', body: new URLSearchParams('csrf=' + 'a'.repeat(64))})
              .then(function (r) { done(r.status); });""")
        check(status == 403, "POST with a wrong CSRF token answered %r" % status)
        status, _, _ = http_get(base, "/roster/remove", cookie=session, method="POST", body="pupil=1")
        check(status == 403, "POST from outside the page answered %d" % status)

        # Roster and enrolment.
        driver.get(base + "/roster")
        driver.find_element(By.ID, "number").send_keys("4")
        driver.find_element(By.ID, "student").send_keys("Dev")
        driver.find_element(By.XPATH, "//button[text()='Add']").click()
        wait_for(lambda: "Added Dev." in driver.page_source, 10, "the pupil added")
        check("4,Dev,0" in open(room.roster).read() or "4,Dev," in open(room.roster).read(), "roster file not written")
        gallery(driver, args, "roster.png")
        driver.find_element(By.CSS_SELECTOR, "input[aria-label='Enrol Dev']").click()
        driver.find_element(By.XPATH, "//button[starts-with(text(),'Enrolment codes')]").click()
        codes = wait_for(lambda: driver.find_elements(By.CSS_SELECTOR, ".codes tbody tr"), 10, "the codes sheet")
        check(len(codes) == 1 and re.search(r"[A-Z0-9]{4}-[A-Z0-9]{4}-[A-Z0-9]{2}", codes[0].text), "sheet: " +
              codes[0].text)
        gallery(driver, args, "enrol.png")
        driver.get(base + "/roster")
        driver.find_element(By.CSS_SELECTOR, "button[aria-label='Remove Dev']").click()
        wait_for(lambda: "Removed pupil 4." in driver.page_source, 10, "the pupil removed")
        check("Dev" not in room.cli("pupils"), "pupil 4 still served")

        # Signing out ends the session for good.
        driver.find_element(By.XPATH, "//button[text()='Sign out']").click()
        wait_for(lambda: driver.current_url.endswith("/signin"), 10, "the sign-in after signing out")
        status, _, _ = http_get(base, "/class.json", cookie=session)
        check(status == 401, "the old session still answers: %d" % status)
        room.cli("shutdown")
        return 0
    except Exception as f:  # noqa: BLE001 - a WebDriver error is a failure too, with the same report
        print("FAILED: %s" % (f if isinstance(f, Failure) else traceback.format_exc()))
        try:
            driver.save_screenshot(os.path.join(tmp, "failure.png"))
            print("page at failure: %s\n%s" % (driver.current_url, driver.page_source[:3000]))
        except Exception:  # noqa: BLE001
            pass
        print(room.outputs())
        return 1
    finally:
        driver.quit()
        room.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--classroom", required=True)
    parser.add_argument("--parlora", required=True)
    parser.add_argument("--demo", required=True, help="the demo course folder")
    parser.add_argument("--gallery", help="where the pictures of each page go")
    parser.add_argument("--keep", action="store_true")
    args = parser.parse_args()
    try:
        import selenium  # noqa: F401
    except ImportError:
        print("SKIP: python3-selenium is not installed for %s" % sys.executable)
        return SKIP
    if not shutil.which("chromedriver") and not os.path.exists("/usr/bin/chromedriver"):
        print("SKIP: chromedriver is not installed")
        return SKIP
    tmp = tempfile.mkdtemp(prefix="teacher-page-")
    try:
        rc = run(args, tmp)
    finally:
        if not args.keep:
            shutil.rmtree(tmp, ignore_errors=True)
        else:
            print("kept " + tmp)
    print("PASSED" if rc == 0 else ("SKIPPED" if rc == SKIP else "FAILED"))
    return rc


if __name__ == "__main__":
    sys.exit(main())
