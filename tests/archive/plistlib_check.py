"""Checks a keyed archive written by the test suite with Python's own plistlib,
a reader we did not write. Exits non-zero with a message on the first problem."""
import plistlib
import sys


def fail(message):
    print(message)
    sys.exit(1)


with open(sys.argv[1], "rb") as f:
    raw = f.read()
if not raw.startswith(b"bplist00"):
    fail("not a binary property list")
archive = plistlib.loads(raw)
if archive.get("$archiver") != "NSKeyedArchiver":
    fail("bad $archiver")
if archive.get("$version") != 100000:
    fail("bad $version")
objects = archive["$objects"]
if objects[0] != "$null":
    fail("$objects does not start with $null")
root_ref = archive["$top"]["root"]
if not isinstance(root_ref, plistlib.UID):
    fail("$top/root is not a UID")


def obj(ref):
    if not isinstance(ref, plistlib.UID):
        fail("expected a UID, got %r" % (ref,))
    return objects[ref.data]


def classname(o):
    description = obj(o["$class"])
    if "$classes" not in description or description["$classes"][0] != description["$classname"]:
        fail("bad class description %r" % (description,))
    return description["$classname"]


root = obj(root_ref)
if classname(root) != "TestRecord":
    fail("root class is %s" % classname(root))

checks = [
    ("IntNumber", lambda v: type(obj(v)) is int and obj(v) == -5),
    ("BoolNumber", lambda v: type(obj(v)) is int and obj(v) == 1),
    ("FloatNumber", lambda v: type(obj(v)) is float and abs(obj(v) - 0.1) < 1e-7),
    ("NativeBool", lambda v: v is True),
    ("NativeInt", lambda v: type(v) is int and v == -70000),
    ("String", lambda v: obj(v) == 'Grüße, "shop" \u5143'),
    ("AbsentString", lambda v: v.data == 0),
    ("Data", lambda v: obj(v) == b"\x00\x01\xff tail"),
    ("Date", lambda v: classname(obj(v)) == "NSDate" and abs(obj(v)["NS.time"] - (1700000000.123 - 978307200)) < 1e-6),
    ("Color", lambda v: classname(obj(v)) == "NSColor" and obj(v)["NSColorSpace"] == 1
        and obj(v)["NSRGB"].endswith(b"\0") and len(obj(v)["NSRGB"][:-1].split(b" ")) == 4),
    ("Styled", lambda v: classname(obj(v)) == "NSAttributedString"
        and obj(obj(v)["NSString"]) == "Plain bold link plain again"
        and isinstance(obj(obj(v)["NSAttributeInfo"]), bytes)
        and classname(obj(obj(v)["NSAttributes"])) == "NSArray"),
    ("Dictionary", lambda v: classname(obj(v)) in ("NSDictionary", "NSMutableDictionary")
        and sorted(obj(k) for k in obj(v)["NS.keys"]) == ["Add to cart", "Total"]),
    ("Leaves", lambda v: classname(obj(v)) in ("NSArray", "NSMutableArray")
        and [obj(obj(x)["Name"]) for x in obj(v)["NS.objects"]] == ["leaf 0", "leaf 1", "leaf 2"]),
    ("Shared", lambda v: classname(obj(v)) == "TestLeaf"),
]
for key, check in checks:
    if key not in root:
        fail("missing key " + key)
    if not check(root[key]):
        fail("unexpected value kind or value for " + key + ": %r" % (root[key],))
if root["Shared"] != root["SharedAgain"]:
    fail("a shared object was written twice")

styled = obj(root["Styled"])
fonts = [obj(d) for d in obj(styled["NSAttributes"])["NS.objects"]]
font_names = []
for attributes in fonts:
    for k, v in zip(attributes["NS.keys"], attributes["NS.objects"]):
        if obj(k) == "NSFont":
            if classname(obj(v)) != "NSFont":
                fail("font attribute is not an NSFont")
            font_names.append(obj(obj(v)["NSName"]))
if font_names != ["Helvetica-Bold"]:
    fail("fonts: %r" % font_names)
print("ok")
