#!/usr/bin/python3
"""big_collection.py ZORVANE_SITE: how a large riddle collection starts and is
edited. Writes a collection of --riddles riddles (each answer with ASCII
punctuation and a blank, which a settings file may treat specially, so that
the site checks it hardest), then

1. starts the site --starts times and times each start, from the program's
   start to its "listening on" line;
2. edits a riddle in the middle of the collection --edits times through the
   console's form, timing each save from the POST to its answer;
3. with --browser, edits it in headless Chromium as an operator does,
   timing from the form's submission to the list that says it was saved,
   by the browser's own navigation timing and as the driver sees it (from
   the click on the save button, and from opening the form).

Prints each time and the median. A benchmark, not a test: it never fails on
a time.
"""

import argparse
import http.client
import os
import re
import statistics
import subprocess
import tempfile
import time
import urllib.parse


def write_collection(path, count):
    with open(path, "w", encoding="utf-8") as out:
        out.write("question\tanswer\tkind\n")
        for i in range(count):
            kind = "打一物" if i % 3 == 0 else ""
            out.write(f"第{i}号谜语：什么东西，越洗越脏？\t答案{i}号, 是水!\t{kind}\n")


class Site:
    def __init__(self, program, riddles, folder):
        self.log_path = os.path.join(folder, "site.log")
        with open(self.log_path, "w") as log:
            self.started = time.monotonic()
            self.process = subprocess.Popen([program, "--riddles", riddles, "--port", "0"],
                                            stdout=log, stderr=subprocess.STDOUT,
                                            stdin=subprocess.DEVNULL)
        self.port = None
        deadline = self.started + 120
        while time.monotonic() < deadline and self.process.poll() is None:
            with open(self.log_path, encoding="utf-8", errors="replace") as log:
                found = re.search(r"^listening on (\d+)$", log.read(), re.M)
            if found:
                self.start_seconds = time.monotonic() - self.started
                self.port = int(found.group(1))
                return
            time.sleep(0.005)
        raise SystemExit("big_collection: the site did not start")

    def stop(self):
        self.process.terminate()
        self.process.wait(30)

    def request(self, method, path, headers=None, body=b""):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=120)
        connection.request(method, path, body=body, headers=headers or {})
        response = connection.getresponse()
        result = response.status, response.getheader("Set-Cookie") or "", response.read()
        connection.close()
        return result


def edit_over_http(site, riddle_id, count):
    status, set_cookie, form = site.request("GET", f"/console/riddles/edit?id={riddle_id}")
    cookie = set_cookie.split(";")[0]
    csrf = re.search(rb'name="csrf" value="([0-9a-f]+)"', form).group(1).decode()
    times = []
    for i in range(count):
        _, _, form = site.request("GET", f"/console/riddles/edit?id={riddle_id}",
                                  {"Cookie": cookie})
        version = re.search(rb'name="version" value="([^"]*)"', form)
        fields = {"csrf": csrf, "id": str(riddle_id), "question": f"改过{i}次的谜语：是什么？",
                  "answer": "改过的答案，对！", "kind": "",
                  "version": version.group(1).decode() if version else ""}
        body = urllib.parse.urlencode(fields).encode()
        headers = {"Cookie": cookie, "Origin": f"http://127.0.0.1:{site.port}",
                   "Sec-Fetch-Site": "same-origin",
                   "Content-Type": "application/x-www-form-urlencoded"}
        started = time.monotonic()
        try:
            status, _, _ = site.request("POST", "/console/riddles/edit", headers, body)
        except (OSError, http.client.HTTPException) as failure:
            raise SystemExit(f"big_collection: no answer to an edit after "
                             f"{time.monotonic() - started:.1f} s ({failure})")
        times.append(time.monotonic() - started)
        if status != 303:
            raise SystemExit(f"big_collection: an edit was answered {status}")
    return times


def edit_in_browser(site, riddle_id, folder):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait

    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/lib/chromium/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--no-first-run", "--user-data-dir=" + os.path.join(folder, "profile")):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        base = f"http://127.0.0.1:{site.port}"
        driver.get(base + "/console/")
        opened = time.monotonic()
        driver.get(f"{base}/console/riddles/edit?id={riddle_id}")
        question = driver.find_element(By.ID, "question")
        question.clear()
        question.send_keys("在浏览器里改的谜语：是什么？")
        clicked = time.monotonic()
        driver.find_element(By.ID, "save").click()
        WebDriverWait(driver, 120, poll_frequency=0.005).until(
            lambda d: "saved=" in d.current_url and
            d.execute_script("return document.readyState") == "complete")
        done = time.monotonic()
        # The browser's own account: from the form's submission (the
        # navigation's start) to the end of the list's load.
        loaded_ms = driver.execute_script(
            "return performance.getEntriesByType('navigation')[0].loadEventEnd")
        expect_saved = "已保存第" in driver.find_element(By.ID, "notice").text
        if not expect_saved:
            raise SystemExit("big_collection: the list does not say the edit was saved")
        return loaded_ms / 1000, done - clicked, done - opened
    finally:
        driver.quit()


def show(what, seconds):
    shown = ", ".join(f"{s * 1000:.0f}" for s in seconds)
    print(f"{what}: median {statistics.median(seconds) * 1000:.0f} ms ({shown} ms)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("site")
    parser.add_argument("--riddles", type=int, default=20000)
    parser.add_argument("--starts", type=int, default=3)
    parser.add_argument("--edits", type=int, default=5)
    parser.add_argument("--browser", action="store_true")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="zorvane-big-") as folder:
        riddles = os.path.join(folder, "riddles.tsv")
        write_collection(riddles, args.riddles)
        print(f"{args.riddles} riddles, {os.path.getsize(riddles)} bytes")
        starts = []
        for _ in range(args.starts):
            site = Site(args.site, riddles, folder)
            starts.append(site.start_seconds)
            site.stop()
        show("start-up to listening", starts)
        site = Site(args.site, riddles, folder)
        try:
            middle = 19499 + args.riddles // 2
            show(f"edit of riddle {middle}, POST to answer", edit_over_http(site, middle,
                                                                             args.edits))
            if args.browser:
                loaded, save, whole = edit_in_browser(site, middle, folder)
                print(f"edit in Chromium: {loaded * 1000:.0f} ms from submitting the form to the "
                      f"saved list loaded (the browser's navigation timing); as the driver saw "
                      f"it, {save * 1000:.0f} ms from the click on save, {whole * 1000:.0f} ms "
                      f"from opening the form")
        finally:
            site.stop()


if __name__ == "__main__":
    main()
