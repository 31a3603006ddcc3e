"""Writes the catalogue text of a site document with Python's csv module, the
same rows `tillbox csv` writes, reading the document and its pages with
plistlib. Used by csv_bench as the yardstick: python3 csv_bench.py SITE OUT"""
import csv
import plistlib
import sys


def page_products(data):
    archive = plistlib.loads(data)
    objects = archive["$objects"]

    def obj(ref):
        return objects[ref.data] if isinstance(ref, plistlib.UID) else ref

    def text(ref):
        value = obj(ref) if ref is not None else None
        if value is None or value == "$null":
            return ""
        if isinstance(value, dict):
            return text(value.get("NSString", value.get("NS.string")))
        return value

    def records(ref):
        value = obj(ref) if ref is not None else None
        if not isinstance(value, dict):
            return []
        return [obj(item) for item in value.get("NS.objects", [])]

    def number(record, key):
        value = record.get(key)
        return obj(value) if value is not None else 0

    root = obj(archive["$top"]["root"])
    for p in records(root.get("Products")):
        options = []
        for o in records(p.get("OptionsArray")):
            values = "|".join(
                "[%s][%f][%f]" % (text(v.get("OptionValueName")), number(v, "OptionValuePrice"),
                                  number(v, "OptionValueWeight"))
                for v in records(o.get("OptionValuesArray")))
            kind = {20: "select", 15: "textarea", 10: "text"}.get(number(o, "OptionTypeTag"), "")
            options.append([kind, text(o.get("OptionName")), values])
        html = bool(number(p, "UseHtmlDescription"))
        status = number(p, "Status")
        name = text(p.get("Name"))
        yield text(p.get("SKU")), [
            text(p.get("SKU")), "1" if status != 2 else "0", name,
            "" if html else text(p.get("StyledDescription")),
            text(p.get("HtmlProductDescription")) if html else "",
            name, "%.7g" % number(p, "Price"), "1" if status != 1 else "0",
            "%d" % number(p, "PurchaseLimit"), "%.7g" % number(p, "Weight")], options


def main():
    with open(sys.argv[1], "rb") as f:
        site = plistlib.load(f)
    by_sku = {}
    for page in site.get("Pages", []):
        for sku, base, options in page_products(page["PluginData"]):
            by_sku[sku] = (base, options)  # the page loaded last holds the SKU
    rows = [by_sku[sku] for sku in sorted(by_sku, key=str.lower)]
    with open(sys.argv[2], "w", encoding="utf-8", newline="") as out:
        if not rows:
            return
        slots = max(len(options) for _, options in rows)
        header = ["versionSKU", "productExportEnabled", "productName", "productLongDescriptionMarkdown",
                  "productLongDescriptionHTML", "versionName", "versionPrice", "versionAvailable",
                  "versionQuantity", "versionWeight"]
        for i in range(slots):
            suffix = str(i) if i else ""
            header += ["optionType" + suffix, "optionName" + suffix, "optionValues" + suffix]
        out.write(",".join(header) + "\n")
        writer = csv.writer(out, quoting=csv.QUOTE_ALL, lineterminator="\n")
        for base, options in rows:
            for option in options:
                base += option
            writer.writerow(base + ["", "", ""] * (slots - len(options)))


main()
