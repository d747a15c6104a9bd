"""Screenshots against the reference images in the repository, for the pixel checks written in Python.

PM_WRITE_REFERENCES=1 writes the screenshot as the new reference instead (look at it before committing it).
"""
import os

from PIL import Image, ImageChops

# A channel may differ by this much (rasterizers round alike but not bit for bit)...
TOLERANCE = 3
# ...and this share of the pixels by more.
MAX_BEYOND = 0.002


def compare(out, reference):
    if os.environ.get("PM_WRITE_REFERENCES") == "1":
        Image.open(out).convert("RGB").save(reference)
        return
    got = Image.open(out).convert("RGB")
    want = Image.open(reference).convert("RGB")
    if got.size != want.size:
        raise AssertionError(f"{out}: size {got.size}, reference {want.size}")
    diff = ImageChops.difference(got, want)
    beyond = sum(1 for p in diff.getdata() if max(p) > TOLERANCE)
    if beyond > MAX_BEYOND * got.size[0] * got.size[1]:
        diff_file = out[:-4] + ".diff.png"
        diff.point(lambda v: 255 if v > TOLERANCE else 0).save(diff_file)
        raise AssertionError(f"{out}: {beyond} pixels differ from {reference} by more than {TOLERANCE} "
                             f"(diff image {diff_file})")
