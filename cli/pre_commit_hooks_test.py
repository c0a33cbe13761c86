#!/usr/bin/env python3
"""Runs the hooks of .pre-commit-hooks.yaml as the pre-commit framework runs
them: in the root of a git repository, each hook's entry with the staged
files its `files` pattern selects as arguments, quenby-toc taken from PATH.
   pre_commit_hooks_test.py PROGRAM_FOLDER SOURCE_FOLDER"""
import os
import re
import shlex
import subprocess
import sys
import tempfile

import yaml

program_folder, source_folder = os.path.abspath(sys.argv[1]), sys.argv[2]
failures = []


def check(name, condition):
    if not condition:
        failures.append(name)
        print("FAILED:", name)


with open(os.path.join(source_folder, ".pre-commit-hooks.yaml")) as f:
    hooks = {hook["id"]: hook for hook in yaml.safe_load(f)}
check("two hooks", sorted(hooks) == ["quenby-toc", "quenby-toc-check"])
for hook in hooks.values():
    check(hook["id"] + " names its fields", all(k in hook for k in ("name", "entry", "language")))

environment = dict(os.environ, PATH=program_folder + os.pathsep + os.environ.get("PATH", ""))
environment.pop("SOURCE_DATE_EPOCH", None)


def git(repo, *args):
    return subprocess.run(["git", "-C", repo, *args], check=True, capture_output=True,
                          text=True, env=environment).stdout


def staged(repo):
    names = git(repo, "diff", "--staged", "--name-only", "--no-ext-diff", "-z",
                "--diff-filter=ACMRTUXB").split("\0")
    return [n for n in names if n]


def run_hook(repo, hook_id):
    """The hook's exit status, as the framework would get it."""
    hook = hooks[hook_id]
    selected = re.compile(hook.get("files", ""))
    excluded = re.compile(hook.get("exclude", "^$"))
    files = [n for n in staged(repo) if selected.search(n) and not excluded.search(n)
             and os.path.isfile(os.path.join(repo, n))]
    if not files:
        return 0
    return subprocess.run(shlex.split(hook["entry"]) + files, cwd=repo, env=environment,
                          capture_output=True).returncode


def read(repo, name):
    with open(os.path.join(repo, name), "rb") as f:
        return f.read()


page = b"<html><body>\r\n<h1>Intro</h1>\r\n</body></html>"
with tempfile.TemporaryDirectory() as repo:
    git(repo, "init", "-q")
    git(repo, "config", "user.email", "test@example.invalid")
    git(repo, "config", "user.name", "test")
    os.makedirs(os.path.join(repo, "docs"))
    for name in ("docs/a.html", "b.htm", "c.shtml", "unstaged.html"):
        with open(os.path.join(repo, name), "wb") as f:
            f.write(page)
    with open(os.path.join(repo, "notes.txt"), "wb") as f:
        f.write(b"<h1>not a page</h1>")
    git(repo, "add", "docs/a.html", "b.htm", "c.shtml", "notes.txt")

    check("check hook fails on stale pages", run_hook(repo, "quenby-toc-check") == 1)
    check("check hook writes nothing", read(repo, "docs/a.html") == page)
    check("fix hook succeeds", run_hook(repo, "quenby-toc") == 0)
    for name in ("docs/a.html", "b.htm", "c.shtml"):
        check("fix hook remade " + name, b"KRYN_HTML_TOC_START" in read(repo, name))
    check("unstaged page untouched", read(repo, "unstaged.html") == page)
    check("other files untouched", read(repo, "notes.txt") == b"<h1>not a page</h1>")

    # What the framework does next: the user stages the change and commits.
    git(repo, "add", "docs/a.html", "b.htm", "c.shtml")
    check("check hook passes once remade", run_hook(repo, "quenby-toc-check") == 0)
    remade = read(repo, "docs/a.html")
    check("fix hook passes again", run_hook(repo, "quenby-toc") == 0)
    check("second fix run changes nothing", read(repo, "docs/a.html") == remade)

print("%d failed" % len(failures))
sys.exit(1 if failures else 0)
