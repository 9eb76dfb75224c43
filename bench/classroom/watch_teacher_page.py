#!/usr/bin/python3
"""One teacher watching the class grid in headless Chromium, for ClassroomBench: signs in, opens the
grid, prints the page's paint timings (the Performance API), "watching", then after --seconds the
thumbnails fetched a second and "done". Prints "skip: REASON" and exits 77 when Chromium cannot start."""
import argparse
import sys
import time


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--url", required=True)
    p.add_argument("--token", required=True)
    p.add_argument("--seconds", type=float, default=20)
    p.add_argument("--pupils", type=int, default=40)
    a = p.parse_args()
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        from selenium.webdriver.common.by import By

        o = webdriver.ChromeOptions()
        o.binary_location = "/usr/bin/chromium"
        for arg in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                    "--window-size=1280,900", "--no-first-run", "--disable-extensions"]:
            o.add_argument(arg)
        d = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o)
    except Exception as e:  # noqa: BLE001
        print("skip: Chromium cannot start: %s" % (str(e).splitlines() or [repr(e)])[0])
        return 77
    try:
        d.get(a.url + "/signin")
        d.find_element(By.ID, "token").send_keys(a.token)
        d.find_element(By.CSS_SELECTOR, "main button[type=submit]").click()
        time.sleep(1)
        # A second load of the grid, as a teacher coming back to it: the first paint of the page
        # itself, not of the browser's start.
        d.get(a.url + "/")
        paint = d.execute_script("""
            var out = {};
            performance.getEntriesByType('paint').forEach(function (e) { out[e.name] = e.startTime; });
            var n = performance.getEntriesByType('navigation')[0];
            out.dom = n ? n.domContentLoadedEventEnd : -1;
            performance.setResourceTimingBufferSize(100000);
            performance.clearResourceTimings();
            return out;""")
        print("first_paint_ms=%.1f" % paint.get("first-paint", -1))
        print("first_contentful_paint_ms=%.1f" % paint.get("first-contentful-paint", -1))
        print("dom_content_loaded_ms=%.1f" % paint["dom"])
        end = time.monotonic() + 15
        while time.monotonic() < end:
            shown = d.execute_script(
                "return Array.from(document.querySelectorAll('.grid img')).filter(function (i) {"
                " return i.complete && i.naturalWidth > 0; }).length")
            if shown >= a.pupils:
                break
            time.sleep(0.1)
        print("thumbnails_shown=%d" % shown)
        print("watching", flush=True)
        time.sleep(a.seconds)
        fetched = d.execute_script(
            "return performance.getEntriesByType('resource').filter(function (e) {"
            " return e.name.indexOf('/screen/') >= 0; }).length")
        print("thumbnails_fetched_per_second=%.1f" % (fetched / a.seconds))
        print("done", flush=True)
        return 0
    finally:
        d.quit()


if __name__ == "__main__":
    sys.exit(main())
