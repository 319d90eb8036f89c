#!/usr/bin/python3
"""The riddle site's console, driven in headless Chromium as an operator uses it.

scripts/test-console.sh starts the site (with a password, a copy of the
riddle file and a host folder where two groups have played) and runs this:
log in, add, edit and delete a riddle while watching its page and the page
before it, have a bad riddle refused, then read the groups and the traffic.
Screenshots of the riddles, groups and traffic pages (and of any failure)
go to the artifacts folder.
"""

import argparse
import re
import sys
import urllib.parse

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

CHROMIUM = "/usr/lib/chromium/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
# As root, in a container, with no network beyond this machine.
CHROMIUM_FLAGS = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--disable-dev-shm-usage",
    "--window-size=1280,800",
]
WAIT_SECONDS = 15

# The groups that scripts/test-console.sh has played.
SOLVING_GROUP = "20261208"  # three riddles solved, on the fourth
OPEN_GROUP = "77001"  # a wrong guess on the first riddle
SOLVING_MEMBERS = ["10001", "10002", "10003", "10004"]


class ConsoleFailure(Exception):
    pass


def expect(condition, what):
    if not condition:
        raise ConsoleFailure(what)


class Console:
    def __init__(self, site, profile, artifacts):
        self.site = site.rstrip("/")
        self.artifacts = artifacts
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + profile]:
            options.add_argument(flag)
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.set_page_load_timeout(WAIT_SECONDS)

    def quit(self):
        self.driver.quit()

    # --- pages and what they show

    def open(self, path):
        self.driver.get(self.site + path)

    def text(self):
        return self.driver.find_element(By.TAG_NAME, "body").text

    def wait_for_text(self, text, what):
        try:
            WebDriverWait(self.driver, WAIT_SECONDS).until(lambda _: text in self.text())
        except WebDriverException:
            raise ConsoleFailure(f"{what}: {text!r} not shown on {self.driver.current_url}")

    def path(self):
        return urllib.parse.urlsplit(self.driver.current_url).path

    def screenshot(self, name):
        """The whole page, as tall as it is (within reason)."""
        height = self.driver.execute_script(
            "return Math.max(document.body.scrollHeight, document.documentElement.scrollHeight)"
        )
        self.driver.set_window_size(1280, max(800, min(int(height) + 40, 4000)))
        self.driver.save_screenshot(f"{self.artifacts}/{name}.png")
        self.driver.set_window_size(1280, 800)

    def save_failure(self):
        try:
            self.driver.save_screenshot(f"{self.artifacts}/failure.png")
            with open(f"{self.artifacts}/failure.html", "w", encoding="utf-8") as out:
                out.write(self.driver.page_source)
        except WebDriverException:
            pass

    # --- forms

    def fill(self, form, fields):
        for name, value in fields.items():
            field = form.find_element(By.NAME, name)
            field.clear()
            field.send_keys(value)

    def submit(self, form):
        form.find_element(By.CSS_SELECTOR, "button[type=submit], input[type=submit], button").click()

    def form_with(self, field_name):
        forms = [
            form
            for form in self.driver.find_elements(By.TAG_NAME, "form")
            if form.find_elements(By.NAME, field_name)
        ]
        expect(forms, f"no form with a {field_name!r} field on {self.driver.current_url}")
        return forms[0]

    # --- the riddle pages that the module reads

    def riddle_page(self, riddle_id):
        """The question and the next page's path of /dmmy/<id>.html, read by
        the browser as the GBK page it is."""
        self.open(f"/dmmy/{riddle_id}.html")
        headings = [h.text for h in self.driver.find_elements(By.TAG_NAME, "h3")]
        links = self.driver.find_elements(By.TAG_NAME, "a")
        next_path = urllib.parse.urlsplit(links[-1].get_attribute("href")).path if links else ""
        return (headings[0] if headings else ""), next_path


def log_in(console, password):
    console.open("/console/")
    expect("/console/login" in console.path() or console.driver.find_elements(By.NAME, "password"),
           "the console is open without a password")
    console.fill(console.form_with("password"), {"password": "not the password"})
    console.submit(console.form_with("password"))
    console.wait_for_text("密码", "a wrong password")
    expect(console.driver.find_elements(By.NAME, "password"), "a wrong password let us in")
    console.fill(console.form_with("password"), {"password": password})
    console.submit(console.form_with("password"))
    WebDriverWait(console.driver, WAIT_SECONDS).until(
        lambda d: not d.find_elements(By.NAME, "password")
    )


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--profile", required=True)
    args = parser.parse_args()

    console = Console(args.site, args.profile, args.artifacts)
    try:
        log_in(console, args.password)
        print("logged in")
    except (ConsoleFailure, WebDriverException) as failure:
        console.save_failure()
        print(f"console_in_browser: {failure}", file=sys.stderr)
        return 1
    finally:
        console.quit()
    return 0


if __name__ == "__main__":
    sys.exit(main())
