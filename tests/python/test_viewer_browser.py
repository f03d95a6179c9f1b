"""The viewer in a real browser: headless Chromium, rendering in software, shows the bundled arm
and follows display(). Run as a script to write the README's picture:
python3 tests/python/test_viewer_browser.py docs/viewer_arm.png
"""
import contextlib
import io
import os
import shutil
import sys
import time

import numpy as np
import pytest

import kinetra

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "src"))

pytest.importorskip("viser", reason="the viewer needs viser: pip install '.[viewer]'")
pytest.importorskip("selenium", reason="the browser test drives Chromium with selenium "
                    "(scripts/setup.sh installs it)")
from PIL import Image  # noqa: E402 (viser brings it)
from selenium import webdriver  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402

from kinetra_tools.viewer import Viewer  # noqa: E402

ARM = os.path.join(ROOT, "examples", "robots", "kinetra_arm")
CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")
DRIVER = shutil.which("chromedriver")
WIDTH, HEIGHT = 1000, 700
# the slider panel on the right and the axes at the bottom left lie over the scene
PANEL_WIDTH, AXES_SIZE = 340, 90
BENT = np.array([0.6, 0.9, 1.3, 0.5, 0.0, 0.0])

pytestmark = pytest.mark.skipif(
    not (CHROMIUM and DRIVER),
    reason="no browser: install Debian's chromium and chromium-driver (scripts/setup.sh does)")


@contextlib.contextmanager
def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     f"--window-size={WIDTH},{HEIGHT}", "--enable-unsafe-swiftshader",
                     "--use-angle=swiftshader", "--hide-scrollbars"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    try:
        yield driver
    finally:
        driver.quit()


def screenshot(driver):
    """The page as an (H, W, 3) int array, without notifications (the client warns about
    software rendering)."""
    driver.execute_script(
        "document.querySelectorAll('.mantine-Notification-root').forEach(e => e.remove())")
    image = Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert("RGB")
    return np.asarray(image).astype(int)


def robot_pixels(image):
    """Where the arm's orange and graphite parts are, in the part of the page that shows only
    the scene."""
    scene = image[:-AXES_SIZE, :-PANEL_WIDTH]
    red, green, blue = scene[..., 0], scene[..., 1], scene[..., 2]
    orange = (red > 150) & (red - blue > 80) & (green > 50) & (green < red - 40)
    dark = (red < 120) & (abs(red - blue) < 30) & (abs(green - blue) < 30)
    return orange | dark


def wait_for(driver, condition, timeout, what):
    """The first screenshot meeting `condition`."""
    deadline = time.monotonic() + timeout
    while True:
        image = screenshot(driver)
        if condition(image):
            return image
        if time.monotonic() > deadline:
            raise AssertionError(f"{what} within {timeout} s")
        time.sleep(0.3)


def arm_viewer():
    model, _, visual = kinetra.build_models_from_urdf(os.path.join(ARM, "kinetra_arm.urdf"), ARM)
    return Viewer(model, visual, port=0)


def test_browser_shows_the_arm_and_follows_display():
    with arm_viewer() as viewer, browser() as driver:
        driver.get(viewer.url)
        # the first frame costs most: the client's scripts and shaders, rendered on the CPU
        upright = wait_for(driver, lambda image: robot_pixels(image).sum() > 300, 45,
                           "no robot drawn")
        viewer.display(BENT)
        bent = wait_for(driver, lambda image: (robot_pixels(image) != robot_pixels(upright)).sum()
                        > 300, 10, "the robot did not move after display")
        assert robot_pixels(bent).sum() > 300


def write_picture(path):
    """The arm reaching forward, its tool frame and centre of mass shown, as a PNG at `path`."""
    with arm_viewer() as viewer, browser() as driver:
        viewer.display([0.5, 0.6, 0.9, 0.8, 0.0, 0.0])
        viewer.show_frames(["tool_tip"])
        viewer.show_center_of_mass(True)
        driver.get(viewer.url)
        wait_for(driver, lambda image: robot_pixels(image).sum() > 300, 60, "no robot drawn")
        time.sleep(2.0)
        Image.fromarray(screenshot(driver).astype(np.uint8)).save(path)


if __name__ == "__main__":
    write_picture(sys.argv[1])
