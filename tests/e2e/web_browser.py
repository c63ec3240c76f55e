"""The upload page in a real browser: headless Chromium driven by Selenium against `velkaro web` on loopback.
Two files (one of 50 MB) go up through the file input and arrive whole, a third into a folder opened from the list;
the page refuses a visit without its key;
a Range request returns the right bytes; a read-only share hides its upload area and refuses writes.
Set WEB_BROWSER_SHOTS=DIR to keep screenshots of the page."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
except ImportError:  # Debian's python3-selenium lives with the system's python
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3", *sys.argv])
    print("SKIP: python3-selenium is not installed")
    sys.exit(0)

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "support"))
from ftp_server import check, sha, summary  # noqa: E402
from web_server import WebServer  # noqa: E402

velkaro = os.path.abspath(sys.argv[1])
if not shutil.which("chromium") or not shutil.which("chromedriver"):
    print("SKIP: chromium and chromium-driver are not installed")
    sys.exit(0)
work = tempfile.mkdtemp(prefix="web_browser_")
folder, sources = os.path.join(work, "share"), os.path.join(work, "phone")
os.mkdir(folder)
os.mkdir(sources)
shots = os.environ.get("WEB_BROWSER_SHOTS")
files = {"Datenblatt LM317.pdf": b"%PDF-1.4\n" + os.urandom(200_000), "scope capture.bin": os.urandom(50 << 20)}
for name, data in files.items():
    with open(os.path.join(sources, name), "wb") as f:
        f.write(data)


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run", "--window-size=412,915",
                 "--user-data-dir=" + tempfile.mkdtemp(dir=work)]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    driver.set_script_timeout(30)
    return driver


def wait(predicate, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if predicate():
            return True
        time.sleep(0.2)
    return False


def fetch(driver, method, path, headers=None):
    """Status and body length of a request made by the page itself (its cookie, its origin)."""
    return driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "fetch(arguments[1], {method: arguments[0], headers: arguments[2] || {}, body: arguments[0] === 'PUT' ? 'x' : null})"
        ".then(async r => done([r.status, (await r.arrayBuffer()).byteLength]))"
        ".catch(e => done([0, String(e)]));", method, path, headers)


def shot(driver, name):
    if shots:
        os.makedirs(shots, exist_ok=True)
        driver.save_screenshot(os.path.join(shots, name + ".png"))


server = WebServer(velkaro, folder)
driver = browser()
try:
    driver.get(f"{server.url}/?k={server.key}")
    check("the page opens with its key", wait(lambda: driver.find_elements(By.ID, "empty")
                                              and driver.find_element(By.ID, "empty").is_displayed(), 10))
    shot(driver, "empty")
    picker = driver.find_element(By.ID, "picker")
    picker.send_keys("\n".join(os.path.join(sources, name) for name in files))
    rows = lambda: driver.find_elements(By.CSS_SELECTOR, "#uploads .upload")  # noqa: E731
    finished = wait(lambda: len(rows()) == 2 and all("done" in r.get_attribute("class").split() or
                                                     "failed" in r.get_attribute("class").split() for r in rows()), 180)
    states = [r.find_element(By.CLASS_NAME, "state").text for r in rows()]
    check("both uploads finish with their progress full", finished and states == ["done", "done"] and all(
        float(r.find_element(By.TAG_NAME, "progress").get_attribute("value")) == 1 for r in rows()), states)
    for name, data in files.items():
        path = os.path.join(folder, name)
        check(f"{name} arrived whole", os.path.exists(path) and sha(path) == sha(os.path.join(sources, name)))
    listed = lambda: driver.find_element(By.ID, "list").text  # noqa: E731
    check("both are in the page's list", wait(lambda: all(name in listed() for name in files), 10), listed())
    check("no temporary file is left", [n for n in os.listdir(folder) if n.startswith(".")] == [])
    shot(driver, "uploaded")

    # The same name again: the page asks, then keeps both as "NAME (2)" or replaces, as the person chooses.
    for choice, want in (("Keep both", ["Datenblatt LM317 (2).pdf", "Datenblatt LM317.pdf"]),
                         ("Replace", ["Datenblatt LM317 (2).pdf", "Datenblatt LM317.pdf"])):
        before = len(rows())
        picker.send_keys(os.path.join(sources, "Datenblatt LM317.pdf"))
        asked = wait(lambda: len(rows()) == before + 1 and "asking" in rows()[0].get_attribute("class").split(), 30)
        if asked:
            shot(driver, "name-taken")
            rows()[0].find_element(By.XPATH, f".//button[text()='{choice}']").click()
        done = wait(lambda: "done" in rows()[0].get_attribute("class").split(), 30)
        kept = sorted(n for n in os.listdir(folder) if n.startswith("Datenblatt"))
        check(f"a name taken: the page asks, and {choice} gives {want}", asked and done and kept == want, kept)

    # A folder: opened from the list, uploaded into, and its files' shared links lead with the key.
    os.mkdir(os.path.join(folder, "Books"))
    driver.execute_script("refresh()")
    check("a folder is listed", wait(lambda: "Books/" in listed(), 10), listed())
    driver.find_element(By.CSS_SELECTOR, "li.folder a").click()
    check("opening it shows it", wait(lambda: driver.find_element(By.ID, "where").text == "/Books", 10))
    name = "Datenblatt LM317.pdf"
    picker.send_keys(os.path.join(sources, name))
    inside = os.path.join(folder, "Books", name)
    check("an upload goes into the folder shown", wait(lambda: os.path.exists(inside) and
                                                     sha(inside) == sha(os.path.join(sources, name)), 30))
    check("its shared link ends in its name", wait(lambda: any(
        (a.get_attribute("href") or "").endswith(f"/k/{server.key}/files/Books/Datenblatt%20LM317.pdf")
        for a in driver.find_elements(By.CSS_SELECTOR, "#list a")), 10))
    shot(driver, "folder")

    status, length = fetch(driver, "GET", "/files/scope%20capture.bin", {"Range": "bytes=1000-1999"})
    check("a Range download gives 206 and the 1000 bytes asked for", (status, length) == (206, 1000), (status, length))
    driver.delete_all_cookies()
    driver.get(server.url + "/")
    check("without the key: 403", "needs its key" in driver.find_element(By.TAG_NAME, "body").text)
finally:
    driver.quit()
    server.stop()

server = WebServer(velkaro, folder, ["--read-only"])
driver = browser()
try:
    driver.get(f"{server.url}/?k={server.key}")
    wait(lambda: "Datenblatt" in driver.find_element(By.ID, "list").text, 10)
    check("read-only: the list is shown, the upload area is not",
          "Datenblatt" in driver.find_element(By.ID, "list").text
          and not driver.find_element(By.ID, "uploadSection").is_displayed())
    check("read-only: an upload is refused with 403", fetch(driver, "PUT", "/files/new.pdf")[0] == 403)
    shot(driver, "read-only")
finally:
    driver.quit()
    server.stop()
shutil.rmtree(work, ignore_errors=True)
sys.exit(summary())
