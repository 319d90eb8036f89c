#!/usr/bin/python3
"""The riddle site's console, driven in headless Chromium as an operator uses it.

scripts/test-console.sh starts the site (with a password, a copy of the
riddle file and a host folder where two groups have played) and runs this:
log in, add, edit and delete a riddle while watching its page and the page
before it, have a bad riddle refused, open a riddle that holds a script
(which must not run), have an edit refused that another window made stale,
then read the groups (also 390 pixels wide, as on a phone) and the traffic.
Screenshots go to the artifacts folder: riddles.png, riddle-refused.png,
riddle-stale.png, groups.png, group-<group>.png, groups-phone.png,
group-phone.png, traffic.png and traffic-phone.png, and failure.png with
failure.html when a step fails.
"""

import argparse
import sys
import urllib.parse

from selenium import webdriver
from selenium.common.exceptions import (
    NoSuchElementException,
    StaleElementReferenceException,
    TimeoutException,
    WebDriverException,
)
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
# Its members highest first, whatever the game's random amounts: 10002
# (140, less 2-10, plus 20-30), 10003 (115 plus 20-30), 10001 (100 plus
# 20-30), 10004 (a gift of 12).
SOLVING_MEMBERS_BY_BALANCE = ["10002", "10003", "10001", "10004"]


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
        # A page that is being replaced may lose its body under the reader
        # (which the browser may also report as an unknown error).
        wait = WebDriverWait(self.driver, WAIT_SECONDS, ignored_exceptions=[
            NoSuchElementException, StaleElementReferenceException, WebDriverException])
        try:
            wait.until(lambda _: text in self.text())
        except TimeoutException:
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

    def by_id(self, element_id):
        """The element, once the page shows it."""
        try:
            return WebDriverWait(self.driver, WAIT_SECONDS).until(
                lambda driver: driver.find_element(By.ID, element_id))
        except TimeoutException:
            raise ConsoleFailure(f"no #{element_id} on {self.driver.current_url}")

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
    """A wrong password is refused; the right one opens the console with a
    session cookie that scripts cannot read and other sites do not send."""
    console.open("/console/")
    expect(console.path() == "/console/login", f"without a login: {console.path()}")
    tries = (("not the password", "密码不对"), (password, "模块最近一次取谜语页"))
    for attempt, shown in tries:
        console.fill(console.by_id("login-form"), {"password": attempt})
        console.by_id("login").click()
        console.wait_for_text(shown, f"logging in with {attempt!r}")
    expect(console.path() == "/console/", f"the login led to {console.path()}")
    cookies = [c for c in console.driver.get_cookies() if c["name"] == "zorvane_console"]
    expect(cookies, "no session cookie after the login")
    expect(cookies[0].get("httpOnly") and cookies[0].get("sameSite") == "Strict",
           f"the session cookie is readable by scripts or sent by other sites: {cookies[0]}")
    # The host simulator's game reached this site: the front page says so.
    fetches = console.by_id("module-fetches").text
    expect("取谜语页：从未" not in fetches, f"the module's fetches are not seen: {fetches}")


def find_riddle(console, question):
    """Searches the list for question; the id of the one row found."""
    console.open("/console/riddles")
    console.fill(console.by_id("search-form"), {"q": question})
    console.by_id("search-form").submit()
    console.wait_for_text("找到 1 条", f"searching for {question!r}")
    ids = riddle_ids(console)
    expect(len(ids) == 1, f"the search for {question!r} found {ids}")
    return ids[0]


def riddle_ids(console):
    """The ids of the riddles that the list shows."""
    rows = console.driver.find_elements(By.CSS_SELECTOR, "#riddles tbody tr")
    return [int(row.get_attribute("id").removeprefix("riddle-")) for row in rows]


def save_riddle(console, fields):
    console.fill(console.by_id("riddle-form"), fields)
    console.by_id("save").click()


def riddles(console):
    """Add, edit, refuse and delete one riddle, watching the pages that the
    module reads: its own and the one before it, whose link leads to it."""
    console.open("/console/riddles")
    console.wait_for_text("找到", "the riddle list")
    console.screenshot("riddles")
    # The chain's last riddle: the largest id on the list's last page (a
    # page past the end shows the last).
    console.open("/console/riddles?page=1000000")
    last_id = max(riddle_ids(console))
    first_page = "/dmmy/19499.html"
    expect(console.riddle_page(last_id)[1] == first_page, "the last riddle does not lead back")

    question, answer, kind = "浏览器里添上的谜语", "新题", "测试"
    console.open("/console/riddles")
    console.by_id("add-riddle").click()
    save_riddle(console, {"question": question, "answer": answer, "kind": kind})
    console.wait_for_text("已保存第", "adding a riddle")
    new_id = find_riddle(console, question)
    expect(new_id > last_id, f"the new riddle got the id {new_id} of an old one")
    page_question, page_next = console.riddle_page(new_id)
    expect(question in page_question and kind in page_question,
           f"the new riddle's page shows {page_question!r}")
    expect(page_next == first_page, f"the new last riddle leads to {page_next}")
    expect(console.riddle_page(last_id)[1] == f"/dmmy/{new_id}.html",
           "the chain does not lead to the new riddle")

    edited = "浏览器里改过的谜语"
    find_riddle(console, question)
    console.by_id(f"edit-{new_id}").click()
    save_riddle(console, {"question": edited})
    console.wait_for_text(f"已保存第 {new_id} 条", "editing the riddle")
    expect(edited in console.riddle_page(new_id)[0], "the edit did not reach the riddle's page")

    # A riddle whose answer stands in its question would be won by copying
    # it: refused with the loader's reason, and nothing changes.
    find_riddle(console, edited)
    console.by_id(f"edit-{new_id}").click()
    save_riddle(console, {"question": "山外有山", "answer": "山"})
    console.wait_for_text("没有保存", "a bad riddle")
    console.wait_for_text("谜底就在谜面里：照抄谜面就能猜中", "the reason of the refusal")
    console.screenshot("riddle-refused")
    expect(edited in console.riddle_page(new_id)[0], "a refused edit changed the riddle's page")

    find_riddle(console, edited)
    console.by_id(f"delete-{new_id}").click()
    console.by_id("confirm-delete").click()
    console.wait_for_text(f"已删除第 {new_id} 条", "deleting the riddle")
    expect(console.riddle_page(last_id)[1] == first_page,
           "the chain still leads to the deleted riddle")
    # A group standing on it can still finish it.
    expect(edited in console.riddle_page(new_id)[0], "the deleted riddle's page is gone")


def scripted_riddle(console):
    """A riddle whose question holds a script, opened from the console's list
    as an operator would open it: its page shows the script's text to the
    module byte for byte, yet the browser runs none of it."""
    question = '<script>document.title="脚本跑了";document.body.id="ran"</script>带脚本的谜语'
    console.open("/console/riddles")
    console.by_id("add-riddle").click()
    save_riddle(console, {"question": question, "answer": "不该跑", "kind": ""})
    console.wait_for_text("已保存第", "adding the scripted riddle")
    riddle_id = find_riddle(console, "带脚本的谜语")
    link = console.driver.find_element(By.CSS_SELECTOR, f"#riddle-{riddle_id} td a")
    link.click()
    WebDriverWait(console.driver, WAIT_SECONDS).until(
        lambda driver: driver.current_url.endswith(f"/dmmy/{riddle_id}.html"))
    console.wait_for_text("带脚本的谜语", "the scripted riddle's page")
    expect(console.driver.title != "脚本跑了", "the riddle's script ran on the site's origin")
    expect(not console.driver.find_elements(By.ID, "ran"), "the riddle's script changed its page")
    # The console's own pages are not reachable from it either: the list
    # still shows the riddle, and the console still answers.
    find_riddle(console, "带脚本的谜语")


def stale_edit(console):
    """Two windows edit the same riddle: the later save is refused with what
    the riddle holds now, keeps the typed text, and a second save (made
    knowing) goes through."""
    riddle_id = find_riddle(console, "一口咬掉牛尾巴")
    console.by_id(f"edit-{riddle_id}").click()
    first_window = console.driver.current_window_handle
    console.by_id("riddle-form")
    console.driver.switch_to.new_window("tab")
    console.open(f"/console/riddles/edit?id={riddle_id}")
    save_riddle(console, {"question": "另一个窗口改的谜面"})
    console.wait_for_text(f"已保存第 {riddle_id} 条", "the other window's edit")
    console.driver.close()
    console.driver.switch_to.window(first_window)
    save_riddle(console, {"question": "这个窗口改的谜面"})
    console.wait_for_text("已被改成", "the stale edit")
    console.wait_for_text("另一个窗口改的谜面", "what the riddle holds now")
    console.screenshot("riddle-stale")
    expect(console.by_id("question").get_attribute("value") == "这个窗口改的谜面",
           "the refused edit lost the typed text")
    console.by_id("save").click()
    console.wait_for_text(f"已保存第 {riddle_id} 条", "saving again, knowing")
    expect("这个窗口改的谜面" in console.riddle_page(riddle_id)[0], "the second save was lost")


# What a page looks like on a phone's width.
PHONE_WIDTH = 390


def readable_on_a_phone(console, path, name):
    """No table column narrower than its heading, and chart labels drawn
    at 12 pixels or more, at a phone's width."""
    console.driver.set_window_size(PHONE_WIDTH, 844)
    try:
        console.open(path)
        squeezed = console.driver.execute_script(
            "return [...document.querySelectorAll('th')]"
            ".filter(th => th.scrollWidth > th.clientWidth + 1"
            " || th.getBoundingClientRect().height > 2.2 * parseFloat(getComputedStyle(th).fontSize))"
            ".map(th => th.textContent)")
        expect(not squeezed, f"{path} at {PHONE_WIDTH} px squeezes the columns {squeezed}")
        smallest = console.driver.execute_script(
            "const sizes = [...document.querySelectorAll('svg#chart text')]"
            ".map(t => t.getScreenCTM().a * parseFloat(getComputedStyle(t).fontSize));"
            "return sizes.length ? Math.min(...sizes) : null")
        expect(smallest is None or smallest >= 12,
               f"chart labels of {smallest} px at {PHONE_WIDTH} px")
        console.driver.save_screenshot(f"{console.artifacts}/{name}.png")
    finally:
        console.driver.set_window_size(1280, 800)


def table_rows(console, table_id):
    return [[cell.text for cell in row.find_elements(By.TAG_NAME, "td")]
            for row in console.driver.find_elements(By.CSS_SELECTOR, f"#{table_id} tbody tr")]


def groups(console):
    """The host folder's groups where the game left them, and one group's
    balances highest first, charted."""
    console.open("/console/")
    console.driver.find_element(By.CSS_SELECTOR, "#nav a[href='/console/groups']").click()
    console.wait_for_text(SOLVING_GROUP, "the groups page")
    rows = {row[0]: row for row in table_rows(console, "groups")}
    expect(set(rows) == {SOLVING_GROUP, OPEN_GROUP}, f"the groups table lists {sorted(rows)}")
    for group, page, place in ((SOLVING_GROUP, "/dmmy/19502.html", "第 4 条"),
                               (OPEN_GROUP, "/dmmy/19499.html", "第 1 条")):
        row = " | ".join(rows[group])
        expect(page in row and "谜语未答" in row and place in row, f"group {group}: {row}")
    console.screenshot("groups")

    console.driver.find_element(By.LINK_TEXT, SOLVING_GROUP).click()
    console.wait_for_text("余额", "the group's page")
    members = [row[1] for row in table_rows(console, "members")]
    expect(members == SOLVING_MEMBERS_BY_BALANCE, f"the balances are ordered {members}")
    bars = console.driver.find_elements(By.CSS_SELECTOR, "svg#chart rect.bar")
    expect(len(bars) == len(members), f"the chart has {len(bars)} bars for {len(members)} members")
    widths = [float(bar.get_attribute("width")) for bar in bars]
    expect(widths == sorted(widths, reverse=True) and widths[-1] > 0, f"the bars' widths {widths}")
    console.screenshot("group-" + SOLVING_GROUP)
    readable_on_a_phone(console, "/console/groups", "groups-phone")
    readable_on_a_phone(console, f"/console/groups/view?group={SOLVING_GROUP}", "group-phone")


def traffic(console):
    """The module's requests and the browser's, each path counted."""
    console.driver.find_element(By.CSS_SELECTOR, "#nav a[href='/console/traffic']").click()
    console.wait_for_text("/dmmy/19502.html", "the traffic page")
    counts = {row[0]: int(row[1]) for row in table_rows(console, "path-counts")}
    expect(counts.get("/dmmy/19499.html", 0) >= 2, f"the path counts: {counts}")
    paths = [row[3] for row in table_rows(console, "requests")]
    expect("/console/login" in paths and "/update.html" in paths, f"the recent requests: {paths}")
    console.screenshot("traffic")
    # As on a phone.
    console.driver.set_window_size(400, 800)
    console.driver.save_screenshot(f"{console.artifacts}/traffic-phone.png")
    console.driver.set_window_size(1280, 800)


def log_out(console):
    console.driver.find_element(By.CSS_SELECTOR, "#logout-form button").click()
    console.wait_for_text("控制台密码", "logging out")
    console.open("/console/groups")
    expect(console.path() == "/console/login", "the console stays open after logging out")


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
        print("console: log_in passed", flush=True)
        for step in (riddles, scripted_riddle, stale_edit, groups, traffic, log_out):
            step(console)
            print(f"console: {step.__name__} passed", flush=True)
    except (ConsoleFailure, WebDriverException) as failure:
        console.save_failure()
        print(f"console_in_browser: {failure}", file=sys.stderr)
        return 1
    finally:
        console.quit()
    return 0


if __name__ == "__main__":
    sys.exit(main())
