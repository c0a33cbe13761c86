#!/usr/bin/env python3
"""Reads each HTML file with html5lib's strict parser (a parse error fails)
and prints the file's name and the nesting of the TOC inside its
<nav class="toc">: each entry "(", its sub-entries, ")". Fails where a list
holds anything but items, or an item anything but its link (in a
<details><summary>, after its number where it has one) and at most one
list."""
import re
import sys

import html5lib

NS = "{http://www.w3.org/1999/xhtml}"
NUMBER = re.compile(r"\s*([0-9]+\.)+ $")


def tag(element):
    return element.tag[len(NS):] if element.tag.startswith(NS) else element.tag


def blank(text):
    return text is None or not text.strip()


def children(element, number_first=False):
    """The element's child elements; text only between them is blank, and
    where number_first, a TOC number ("1.2. ") may come before the first."""
    text = element.text
    if number_first and text is not None and NUMBER.match(text):
        text = None
    if not blank(text):
        raise ValueError("text directly inside <%s>" % tag(element))
    for child in element:
        if not blank(child.tail):
            raise ValueError("text after <%s>" % tag(child))
    return [child for child in element if isinstance(child.tag, str)]


def list_shape(element):
    if tag(element) not in ("ul", "ol"):
        raise ValueError("<%s> where a list belongs" % tag(element))
    shape = ""
    for item in children(element):
        if tag(item) != "li":
            raise ValueError("<%s> directly inside <%s>" % (tag(item), tag(element)))
        shape += "(" + item_shape(item) + ")"
    return shape


def item_shape(item):
    parts = children(item, number_first=True)
    if parts and tag(parts[0]) == "details":
        if len(parts) != 1:
            raise ValueError("more than the <details> in an item")
        parts = children(parts[0])
        if not parts or tag(parts[0]) != "summary":
            raise ValueError("<details> without its <summary> first")
        link = children(parts[0], number_first=True)
        if len(link) != 1 or tag(link[0]) != "a":
            raise ValueError("a <summary> that holds more than its link")
        if len(parts) != 2:
            raise ValueError("a <details> without exactly one list")
        return list_shape(parts[1])
    if not parts or tag(parts[0]) != "a":
        raise ValueError("an item that does not start with its link")
    if len(parts) > 2:
        raise ValueError("an item with more than one list")
    return list_shape(parts[1]) if len(parts) == 2 else ""


def main(files):
    parser = html5lib.HTMLParser(strict=True)
    for name in files:
        with open(name, "rb") as f:
            document = parser.parse(f.read())
        navs = [n for n in document.iter() if isinstance(n.tag, str) and tag(n) == "nav"]
        if len(navs) != 1 or navs[0].get("class") != "toc":
            raise ValueError("%s: not one <nav class=\"toc\">" % name)
        lists = children(navs[0])
        if len(lists) != 1:
            raise ValueError("%s: the nav holds more than one list" % name)
        print(name, list_shape(lists[0]))


if __name__ == "__main__":
    main(sys.argv[1:])
