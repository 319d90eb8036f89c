#!/usr/bin/python3
"""site_attacks_test.py ZORVANE_SITE: the site as an attacker tries it, and
as an operator who is careless with files: every check starts the program
and talks to it over HTTP as browsers and other clients do.

Each check prints "ok" or why it failed; the script ends with status 1 when
any failed. --only NAME... runs some of them.
"""

import argparse
import http.client
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

RIDDLES = "十个哥哥\t克\t打一字\n有面没有口\t桌子\t\n千条线，万条线\t雨\t\n"
PASSWORD = "s3cret-for-attacks"
MIB = 1024 * 1024


class Failure(Exception):
    pass


def expect(condition, what):
    if not condition:
        raise Failure(what)


class Site:
    """A site on a free port over a riddle file of its own."""

    def __init__(self, program, folder, *args):
        self.folder = folder
        self.riddles = os.path.join(folder, "riddles.tsv")
        with open(self.riddles, "w", encoding="utf-8") as out:
            out.write(RIDDLES)
        self.log = open(os.path.join(folder, "site.log"), "w+", encoding="utf-8", errors="replace")
        self.process = subprocess.Popen(
            [program, "--riddles", self.riddles, "--port", "0", *args],
            stdout=self.log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.port = None
        # Generous: ctest runs other tests beside this one.
        for _ in range(300):
            self.log.seek(0)
            found = re.search(r"^listening on (\d+)$", self.log.read(), re.M)
            if found:
                self.port = int(found.group(1))
                return
            if self.process.poll() is not None:
                break
            time.sleep(0.1)
        status = self.process.poll()
        self.log.seek(0)
        output = self.log.read()[-500:]
        self.stop()
        raise Failure(f"the site did not start (status {status}): {output}")

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()

    @property
    def origin(self):
        return f"http://127.0.0.1:{self.port}"

    def request(self, method, path, headers=None, body=b"", host=None):
        """(status, lower-cased headers, body) of one request."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        connection.putrequest(method, path, skip_host=True, skip_accept_encoding=True)
        connection.putheader("Host", host or f"127.0.0.1:{self.port}")
        for name, value in (headers or {}).items():
            connection.putheader(name, value)
        if body or method == "POST":
            connection.putheader("Content-Length", str(len(body)))
        connection.endheaders(body)
        response = connection.getresponse()
        result = (response.status, {k.lower(): v for k, v in response.getheaders()},
                  response.read())
        connection.close()
        return result

    def from_console(self, cookie):
        """The heads of a form sent by one of the console's own pages."""
        return {"Origin": self.origin, "Sec-Fetch-Site": "same-origin", "Cookie": cookie,
                "Content-Type": "application/x-www-form-urlencoded"}

    def page_with_form(self, path, cookie="", needs_token=True):
        """The cookie the page sets (or the one given) and its form's token."""
        status, headers, body = self.request("GET", path, {"Cookie": cookie} if cookie else {})
        expect(status == 200, f"GET {path}: {status}")
        set_cookie = headers.get("set-cookie", "")
        token = re.search(rb'name="csrf" value="([0-9a-f]+)"', body)
        expect(token or not needs_token, f"no form token on {path}")
        return (set_cookie.split(";")[0] or cookie), token.group(1).decode() if token else ""

    def post_form(self, path, cookie, fields, headers=None, query=""):
        body = "&".join(f"{k}={urlencoded(v)}" for k, v in fields.items()).encode()
        return self.request("POST", path + query, headers or self.from_console(cookie), body)

    def upload(self, cookie, csrf, name, content):
        boundary = "----zorvane-attack-boundary"
        body = (f"--{boundary}\r\nContent-Disposition: form-data; name=\"csrf\"\r\n\r\n{csrf}\r\n"
                f"--{boundary}\r\nContent-Disposition: form-data; name=\"file\"; "
                f"filename=\"{name}\"\r\nContent-Type: text/plain\r\n\r\n").encode()
        body += content + f"\r\n--{boundary}--\r\n".encode()
        headers = self.from_console(cookie)
        headers["Content-Type"] = f"multipart/form-data; boundary={boundary}"
        return self.request("POST", "/console/riddles/import", headers, body)

    def file(self):
        with open(self.riddles, encoding="utf-8", errors="replace") as text:
            return text.read()


def urlencoded(text):
    from urllib.parse import quote_plus
    return quote_plus(text)


def text_of(body):
    return body.decode("utf-8", errors="replace")


# --- the checks, each on a site of its own


def riddle_pages_run_no_script_on_the_sites_origin(site):
    for path in ("/dmmy/19499.html", "/update.html", "/", "/dmmy/1.html"):
        _, headers, _ = site.request("GET", path)
        expect("sandbox" in headers.get("content-security-policy", ""), f"{path} is not sandboxed")
        expect(headers.get("x-content-type-options") == "nosniff", f"{path} may be sniffed")


def a_host_that_only_starts_like_this_machine_is_refused(site):
    for host in ("127.0.0.1.evil.example", f"127.0.0.1.evil.example:{site.port}",
                 "localhost.evil.example", "127.1"):
        status, _, body = site.request("GET", "/console/riddles", host=host)
        expect(status == 403 and "十个哥哥" not in text_of(body), f"Host {host}: {status}")


def a_form_from_another_site_is_refused(site):
    cookie, csrf = site.page_with_form("/console/riddles/new")
    before = site.file()
    forged = [
        {"Origin": "http://evil.example", "Cookie": cookie},
        {"Sec-Fetch-Site": "cross-site", "Cookie": cookie},
        {"Sec-Fetch-Site": "same-site", "Origin": "http://127.0.0.1:1", "Cookie": cookie},
        {"Cookie": cookie},  # no word of where it came from
    ]
    for headers in forged:
        headers["Content-Type"] = "application/x-www-form-urlencoded"
        status, _, _ = site.post_form("/console/riddles/new", cookie,
                                      {"csrf": csrf, "question": "伪造", "answer": "假"}, headers)
        expect(status == 403, f"a form with {headers} was answered {status}")
    expect(site.file() == before, "a forged form changed the riddle file")


def the_token_counts_only_from_the_forms_body(site):
    cookie, csrf = site.page_with_form("/console/riddles/new")
    status, _, _ = site.post_form("/console/riddles/new", cookie,
                                  {"question": "网址里的", "answer": "令牌"}, query=f"?csrf={csrf}")
    expect(status == 403, f"a token in the URL was taken: {status}")
    expect("网址里的" not in site.file(), "the riddle file changed")


def other_sites_cannot_spend_the_operators_logins(site):
    for _ in range(8):
        site.request("POST", "/console/login",
                     {"Origin": "http://evil.example",
                      "Content-Type": "application/x-www-form-urlencoded"},
                     b"password=guess")
    status = log_in(site, PASSWORD)
    expect(status == 303, f"the operator's login after another site's tries: {status}")


def failed_logins_slow_the_guesser_but_never_shut_the_operator_out(site):
    for _ in range(6):
        log_in(site, "guess")
    status = log_in(site, PASSWORD)
    if status == 429:
        # Told how long to wait, a few seconds at most, and then let in.
        wait = re.search(r"请等 (\d+) 秒", site.last_page)
        expect(wait and int(wait.group(1)) <= 30, f"the wait: {site.last_page[-300:]}")
        time.sleep(int(wait.group(1)))
        status = log_in(site, PASSWORD)
    expect(status == 303, f"the right password after six wrong ones: {status}")


def log_in(site, password):
    cookie, csrf = site.page_with_form("/console/login", needs_token=False)
    status, _, body = site.post_form("/console/login", cookie,
                                     {"csrf": csrf, "password": password})
    site.last_page = text_of(body)
    return status


def a_flood_of_cookie_less_requests_never_ends_a_session(site):
    cookie, csrf = site.page_with_form("/console/riddles/new")
    for _ in range(300):
        site.request("GET", "/console/riddles/new")
    status, _, _ = site.post_form("/console/riddles/new", cookie,
                                  {"csrf": csrf, "question": "洪水之后", "answer": "还在"})
    expect(status == 303, f"the operator's form after the flood: {status}")


def import_errors_are_bounded(site):
    cookie, csrf = site.page_with_form("/console/riddles")
    bad = ("\t没有谜面\n" * 20000).encode()
    started = time.monotonic()
    status, _, body = site.upload(cookie, csrf, "bad.tsv", bad)
    page = text_of(body)
    expect(status == 422, f"a file of bad lines: {status}")
    expect(len(body) < 64 * 1024, f"the refusal is {len(body)} bytes")
    expect("共 20000 行有问题" in page, "the refusal does not count the bad lines")
    expect(len(re.findall(r"第 \d+ 行：", page)) == 50, "not the first 50 lines")
    expect(time.monotonic() - started < 5, "the refusal took over 5 s")


def a_stale_edit_is_refused(site):
    cookie, csrf = site.page_with_form("/console/riddles/edit?id=19500")
    _, _, form = site.request("GET", "/console/riddles/edit?id=19500", {"Cookie": cookie})
    version = re.search(rb'name="version" value="([^"]*)"', form)
    fields = {"csrf": csrf, "id": "19500", "answer": "桌子",
              "version": version.group(1).decode() if version else ""}
    first = site.post_form("/console/riddles/edit", cookie, {**fields, "question": "第一个人改的"})
    second = site.post_form("/console/riddles/edit", cookie, {**fields, "question": "第二个人改的"})
    expect(first[0] == 303, f"the first edit: {first[0]}")
    expect(second[0] == 409 and "已被改成" in text_of(second[2]),
           f"the second editor was told {second[0]}")
    expect("第一个人改的" in site.file() and "第二个人改的" not in site.file(),
           "the file lost the first edit")


def saves_never_write_through_planted_links(site):
    victims = {}
    names = ["riddles.tsv.new", "riddles.tsv.bak"]
    names += [f".riddles.tsv.tmp{site.process.pid}-{n}" for n in range(4)]
    for name in names:
        victim = os.path.join(site.folder, "victim-" + name.strip("."))
        with open(victim, "w") as out:
            out.write("victim")
        os.symlink(victim, os.path.join(site.folder, name))
        victims[victim] = name
    cookie, csrf = site.page_with_form("/console/riddles/new")
    site.post_form("/console/riddles/new", cookie,
                   {"csrf": csrf, "question": "链接之后", "answer": "照旧"})
    for victim, name in victims.items():
        with open(victim) as text:
            expect(text.read() == "victim", f"a save wrote through the link {name}")


def ids_beyond_the_bound_are_refused(site):
    cookie, csrf = site.page_with_form("/console/riddles")
    status, _, _ = site.upload(cookie, csrf, "far.tsv",
                               "id\tquestion\tanswer\n999999999\t远处\t天边\n".encode())
    expect(status == 422, f"an import of id 999999999: {status}")
    status, _, _ = site.post_form("/console/riddles/new", cookie,
                                  {"csrf": csrf, "question": "后来的", "answer": "谜语"})
    expect(status == 303, f"an add after that import: {status}")


def a_bad_request_line_ends_the_connection(site):
    with socket.create_connection(("127.0.0.1", site.port), timeout=5) as connection:
        connection.sendall(b"FOO / HTTP/1.1\r\n"
                           b"GET /console/riddles/download HTTP/1.1\r\n"
                           b"Host: 127.0.0.1\r\n\r\n")
        received = b""
        try:
            while chunk := connection.recv(65536):
                received += chunk
        except socket.timeout:
            pass
    answers = re.findall(rb"HTTP/1\.1 (\d{3})", received)
    expect(answers == [b"400"], f"answered {answers}")
    expect("十个哥哥" not in text_of(received), "the smuggled request was answered")


def an_oversized_import_is_refused_in_chinese_by_the_files_size(site):
    cookie, csrf = site.page_with_form("/console/riddles")
    riddle = "大口套小口\t回\n".encode()
    exactly = riddle + b"#" * (4 * MIB - len(riddle) - 1) + b"\n"  # a riddle and a comment
    status, _, body = site.upload(cookie, csrf, "four.tsv", exactly)
    expect(status == 303, f"a file of exactly 4 MiB: {status} {text_of(body)[:200]}")
    for size in (4 * MIB + 1, 6 * MIB):
        status, _, body = site.upload(cookie, csrf, "big.tsv", exactly + b"#" * (size - 4 * MIB))
        expect(status == 413, f"a file of {size} bytes: {status}")
        expect("4 MiB" in text_of(body) and "太大" in text_of(body),
               f"the refusal of {size} bytes: {text_of(body)[:200]}")


def a_gbk_file_is_read_as_gbk(site):
    cookie, csrf = site.page_with_form("/console/riddles")
    content = "谜面,谜底,类别\n一人一张口，口下长只手,拿,打一字\n".encode("gbk")
    status, headers, body = site.upload(cookie, csrf, "excel.csv", content)
    expect(status == 303, f"a GBK CSV: {status} {text_of(body)[:300]}")
    status, _, body = site.request("GET", headers.get("location", "/"), {"Cookie": cookie})
    expect("GBK" in text_of(body), "the console does not say it read GBK")
    expect("一人一张口" in site.file(), "the riddle is not in the file")


def a_refused_riddle_is_named_by_its_question(site):
    cookie, csrf = site.page_with_form("/console/riddles/new")
    status, _, body = site.post_form("/console/riddles/new", cookie,
                                     {"csrf": csrf, "question": "山外有山", "answer": "山"})
    problem = re.search(r'id="problem"[^>]*>([^<]*)<', text_of(body))
    expect(status == 422 and problem, f"a riddle whose answer is in its question: {status}")
    expect("山外有山" in problem.group(1) and not re.search(r"第 \d+ 条", problem.group(1)),
           f"the problem says: {problem.group(1)}")


CHECKS = [
    (riddle_pages_run_no_script_on_the_sites_origin, ()),
    (a_host_that_only_starts_like_this_machine_is_refused, ()),
    (a_form_from_another_site_is_refused, ()),
    (the_token_counts_only_from_the_forms_body, ()),
    (other_sites_cannot_spend_the_operators_logins, ("--console-password", PASSWORD)),
    (failed_logins_slow_the_guesser_but_never_shut_the_operator_out,
     ("--console-password", PASSWORD)),
    (a_flood_of_cookie_less_requests_never_ends_a_session, ()),
    (import_errors_are_bounded, ()),
    (a_stale_edit_is_refused, ()),
    (saves_never_write_through_planted_links, ()),
    (ids_beyond_the_bound_are_refused, ()),
    (a_bad_request_line_ends_the_connection, ()),
    (an_oversized_import_is_refused_in_chinese_by_the_files_size, ()),
    (a_gbk_file_is_read_as_gbk, ()),
    (a_refused_riddle_is_named_by_its_question, ()),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("site")
    parser.add_argument("--only", nargs="*")
    args = parser.parse_args()
    failed = 0
    run = 0
    for check, site_args in CHECKS:
        if args.only and check.__name__ not in args.only:
            continue
        run += 1
        folder = tempfile.mkdtemp(prefix="zorvane-attack-")
        site = None
        try:
            site = Site(args.site, folder, *site_args)
            check(site)
            print(f"ok      {check.__name__}")
        except (Failure, OSError, http.client.HTTPException) as failure:
            failed += 1
            print(f"FAILED  {check.__name__}: {failure}")
        finally:
            if site:
                site.stop()
            shutil.rmtree(folder, ignore_errors=True)
    print(f"site attacks: {run - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
