#!/usr/bin/env python3
"""Writes a synthetic scene script of an exact size in bytes, for the benchmark.

    gen_scene.py SIZE_BYTES OUT [--one-line] [--no-skipped] [--seed N] [--stats]

The scene has the shape real scenes have: one `script { ... }` block holding nested modules
(Chinese and ASCII names, 1 to 4 deep, sometimes a qualified `module a:b`), macros, zrects,
backgrounds, comment lines and trailing comments, blocks of keywords whose readers do not exist
yet (skipped by the reader, with nested braces, value lists and quoted strings holding braces and
commas), two script functions defined near the start (`outer` calls `inner`) and about 8 calls per
MiB spread through the file, each with argument names of its own so every expansion builds new
modules.

The output is UTF-8 and deterministic (fixed seed). It is padded to exactly SIZE_BYTES.

--one-line   the same kind of content without comments, every line joined by one space into a
             single line of SIZE_BYTES. The calls of script functions are left out there: in the
             current reader a call takes the rest of its line with it (see bench/README.md).
--no-skipped leave out the blocks of not-yet-readable keywords. The reader reports the first of
             them as an invalid keyword and records nothing after the first error, so this
             variant is what shows that the rest of the text reads without a message.
--programs   only code: `program` blocks (loops, arrays, calls, switches), classes with members
             and methods, and typed functions; the compile benchmark reads it next to the Lua
             that gen_lua.py --programs writes for the same seed.
--stats      print "modules=N calls=N skipped=N bytes=N" on standard output: N modules is what
             `scrread --dump tree` must list below the root.
"""

import argparse
import random
import sys

CN_STEMS = ["泵站", "阀门", "水箱", "管道", "电机", "仪表", "冷却塔", "控制柜"]
ASCII_STEMS = ["Pump", "Valve", "Tank", "Pipe", "Motor", "Gauge", "Tower", "Panel"]
NOTES = ["检查压力", "outlet side", "注意: 流量", "kept for the lesson", "第二阶段", "to do"]
WORDS = ["开启", "关闭", "阀门", "start", "stop", "流量", "pressure", "水位"]


class Scene:
    def __init__(self, rng, one_line, skipped, programs_only=False):
        self.programs_only = programs_only
        self.rng = rng
        self.one_line = one_line
        self.skipped = skipped
        self.serial = 0
        # Each entry: (indent, code, trailing comment or None); code None = a comment line.
        self.lines = []

    def next_id(self):
        self.serial += 1
        return self.serial

    def line(self, depth, code, note=None):
        self.lines.append((depth, code, note))

    def comment(self, depth, text):
        self.lines.append((depth, None, text))

    def module_name(self):
        n = self.next_id()
        if self.rng.random() < 0.5:
            return f"{self.rng.choice(CN_STEMS)}{n}"
        return f"{self.rng.choice(ASCII_STEMS)}_{n}"

    def maybe_note(self):
        return self.rng.choice(NOTES) if self.rng.random() < 0.15 else None

    # --- pieces ---------------------------------------------------------------------------

    def define(self, d):
        n = self.next_id()
        if self.rng.random() < 0.5:
            self.line(d, f"define {{ N_{n} {self.rng.randint(1, 999)} }}", self.maybe_note())
        else:
            self.line(d, f"define {{ R_{n} {self.rng.randint(0, 99)}.{self.rng.randint(0, 9)} }}",
                      self.maybe_note())

    def zrect(self, d):
        r = self.rng
        n = self.next_id()
        if r.random() < 0.5:
            self.line(d, f"zrect {{ bitmap {{z{n}.bmp}} field {{/scene/z{n}}} position {{{r.randint(0, 800)} "
                         f"{r.randint(0, 600)}}} size {{{r.randint(1, 300)} {r.randint(1, 200)}}} "
                         f"transparency {{0.{r.randint(0, 9)}}} }}", self.maybe_note())
        else:
            self.line(d, "zrect")
            self.line(d, "{")
            self.line(d + 1, f"field {{ /scene/overlay{n} }}")
            self.line(d + 1, f"position {{ {r.randint(0, 800)}, {r.randint(0, 600)} }}")
            self.line(d + 1, f"size {{ {r.randint(1, 300)}, {r.randint(1, 200)} }}")
            self.line(d + 1, f"transparency {{ 0.{r.randint(0, 9)} }}", self.maybe_note())
            self.line(d, "}")

    def background(self, d):
        c = ", ".join(f"0.{self.rng.randint(0, 9)}" for _ in range(6))
        self.line(d, f"background {{ color {{ {c} }} }}")

    def text_string(self):
        r = self.rng
        return f'"{r.choice(WORDS)} {{{r.choice(WORDS)}}}, {r.choice(WORDS)} {{{r.randint(0, 99)}}}"'

    def skipped_block(self, d):
        """A block of one of the scene-object keywords (animations, steps, sequences, faults,
        generators, sky, textures, lights, routes, message handlers, projectors, stencils,
        charts, tables, bodies, wrenches, nuts), written without faults: a block that faults
        stops the read."""
        if not self.skipped:
            return
        r = self.rng
        n = self.next_id()
        kind = r.choice(["animation", "step", "sequence", "fault", "generator", "sky", "texture",
                         "light", "route", "message", "projector", "stencil", "chart", "table",
                         "body", "wrench", "nut"])
        note = self.maybe_note()
        if kind == "animation":
            # A rotation on a controller's life, and a second animation that plays the first one
            # through a reference.
            self.line(d, "animation")
            self.line(d, "{")
            self.line(d + 1, f"name {{ anim_{n} }}")
            self.line(d + 1, "controller")
            self.line(d + 1, "{")
            self.line(d + 2, f"life {{ 0 {r.randint(1, 20) * 100} }}")
            self.line(d + 2, "rotate")
            self.line(d + 2, "{")
            self.line(d + 3, f"field {{ /scene/r{n} }}")
            self.line(d + 3, f"values {{ {r.randint(0, 360)} }}")
            self.line(d + 3, "axis { z }")
            self.line(d + 2, "}")
            self.line(d + 1, "}")
            self.line(d, "}")
            self.line(d, f"animation {{ name {{ anim_{n}_again }} "
                         f"reference {{ animation {{ name {{ anim_{n} }} }} time {{ 0.{r.randint(1, 9)} }} }} }}")
        elif kind == "step":
            self.line(d, "step")
            self.line(d, "{")
            self.line(d + 1, f"name {{ step_{n} }}")
            self.line(d + 1, f"id {{ {n} }}")
            self.line(d + 1, f"mark {{ {r.randint(1, 10)} }}")
            self.line(d + 1, f"field {{ /scene/s{n} }}", note)
            self.line(d + 1, f"ctrlpt {{ name {{ c{n} }} field {{ /scene/c{n} }} }}")
            self.line(d, "}")
        elif kind == "sequence":
            self.line(d, f"sequence {{ name {{ q{n} }} type {{ parallel }} property {{ cycle }} "
                         f"sequence {{ name {{ q{n}a }} type {{ serial }} }} "
                         f"sequence {{ name {{ q{n}b }} type {{ serial }} }} }}", note)
        elif kind == "fault":
            self.line(d, "fault")
            self.line(d, "{")
            self.line(d + 1, f"name {{ fault_{n} }}")
            self.line(d + 1, f"id {{ {n} }}")
            self.line(d + 1, f"rect {{ 0, 0, {r.randint(100, 800)}, {r.randint(100, 600)} }}")
            self.line(d + 1, "independent { 1, 2, 3 }")
            self.line(d + 1, "branch")
            self.line(d + 1, "{")
            self.line(d + 2, f"name {{ b{n} }}")
            self.line(d + 2, "steps { 1, 2 }")
            self.line(d + 2, f"leaf {{ name {{ l{n} }} mark {{ {r.randint(1, 5)} }} steps {{ 3 }} }}", note)
            self.line(d + 1, "}")
            self.line(d, "}")
        elif kind == "generator":
            self.line(d, f"float gv_{n} = 0")
            self.line(d, f"generator {{ name {{ g{n} }} type {{ {r.choice(['linear', 'sin', 'once'])} }} "
                         f"range {{ 0 {r.randint(1, 100)} }} period {{ {r.randint(1, 9) * 500} }} "
                         f"string {{ gv_{n} }} }}", note)
        elif kind == "sky":
            self.line(d, f"sky {{ field {{ /scene/sky{n} }} radius {{ {r.randint(1000, 20000)} }} "
                         f"position {{ 0, 0, {r.randint(0, 100)} }} }}", note)
        elif kind == "texture":
            self.line(d, f"texture {{ name {{ t{n} }} bitmap {{ t{n}.bmp }} bitmap_templ {{ t{n}m.bmp }} "
                         f"pixel {{ 64, 64 }} }}", note)
        elif kind == "light":
            self.line(d, f"light {{ index {{ {r.randint(0, 7)} }} position {{ 0, 0, 10 }} "
                         f"diffuse {{ 1, 1, 1 }} type {{ point }} }}", note)
        elif kind == "route":
            pts = " ".join(f"point {{ {r.randint(0, 99)}, {r.randint(0, 99)}, {r.randint(0, 9)} }}"
                           for _ in range(r.randint(2, 6)))
            self.line(d, f"route {{ name {{ route_{n} }} {pts} }}", note)
        elif kind == "message":
            self.line(d, f"int mp_{n} = 0")
            self.line(d, f"message {{ id {{ {n} }} param {{ mp_{n} }} }}", note)
        elif kind == "projector":
            self.line(d, f"projector {{ name {{ p{n} }} look {{ 0, 0, 10, 0, 0, 0, 0, 1, 0 }} "
                         f"blend {{ 0.5 }} repeat {{ 2, 2 }} property {{ lighting }} }}", note)
        elif kind == "stencil":
            self.line(d, f"stencil {{ field {{ /scene/st{n} }} position {{ {r.randint(0, 99)}, "
                         f"{r.randint(0, 99)} }} size {{ {r.randint(1, 9)}, {r.randint(1, 9)} }} }}", note)
        elif kind == "chart":
            self.line(d, f"chart {{ name {{ ch{n} }} type {{ {r.choice(['dashboard', 'histogram', 'curve'])} }} "
                         f"title {{ {r.choice(WORDS)} }} position {{ 10, 10 }} size {{ 80, 60 }} "
                         f"range {{ 0, 100, 0, 100 }} }}", note)
        elif kind == "table":
            self.line(d, f"int ti_{n} = 0")
            self.line(d, f"table {{ name {{ tb{n} }} title {{ {r.choice(WORDS)} }} position {{ 5, 5 }} "
                         f"size {{ 100, 40 }} items {{ ti_{n} }} values {{ ti_{n} }} }}", note)
        else:
            self.mechanism(d, kind, n, note)

    def mechanism(self, d, kind, n, note):
        """body, wrench and nut blocks."""
        self.line(d, f"{kind} {{ name {{ {kind}{n} }} field {{ /scene/{kind}{n} }} }}", note)

    def module(self, d, depth_left):
        """A module block, 1 + depth_left deep at most; returns its name."""
        r = self.rng
        name = self.module_name()
        if r.random() < 0.3:
            self.comment(d, f"' {r.choice(NOTES)}")
        self.line(d, f"module {name}")
        self.line(d, "{", self.maybe_note())
        children = []
        for _ in range(r.randint(1, 4)):
            p = r.random()
            if p < 0.3:
                self.define(d + 1)
            elif p < 0.55:
                self.zrect(d + 1)
            elif p < 0.65:
                self.skipped_block(d + 1)
            elif p < 0.7:
                self.comment(d + 1, f"' {r.choice(NOTES)}")
            elif depth_left > 0:
                children.append(self.module(d + 1, depth_left - 1))
            else:
                self.define(d + 1)
        # A qualified path to a child made just above.
        if children and r.random() < 0.5:
            q = self.module_name()
            self.line(d + 1, f"module {r.choice(children)}:{q} {{ define {{ K_{self.next_id()} 1 }} }}")
        self.line(d, "}")
        return name

    def functions(self, d):
        self.comment(d, "' Script functions: outer calls inner; every call builds two modules.")
        self.line(d, "inner(n) { module n { zrect { position {1 2} } } }")
        self.line(d, "outer(n, m)")
        self.line(d, "{")
        self.line(d + 1, "inner(n)")
        self.line(d + 1, "module m { define { K 1 } }", "the second module of a call")
        self.line(d, "}")

    # --- code -------------------------------------------------------------------------------

    def code_prelude(self, d):
        """The functions and globals every program block of the scene uses."""
        self.line(d, "int g_total = 0")
        self.line(d, "int add2(int a, int b)")
        self.line(d, "{")
        self.line(d + 1, "return a + b")
        self.line(d, "}")

    def program(self, d):
        """A program block: a counted loop filling an array, a while loop with if/else and
        break, a call of a typed function and a switch."""
        r = self.rng
        n = self.next_id()
        k = r.randint(4, 16)
        self.line(d, "program")
        self.line(d, "{", self.maybe_note())
        self.line(d + 1, f"int i = 0")
        self.line(d + 1, f"int acc[{k}]")
        self.line(d + 1, f"for (i = 0; i < {k}; i = i + 1)")
        self.line(d + 1, "{")
        self.line(d + 2, f"acc[i] = i * {r.randint(2, 9)} + {r.randint(1, 99)}")
        self.line(d + 1, "}")
        self.line(d + 1, "while (i > 0)")
        self.line(d + 1, "{")
        self.line(d + 2, "i = i - 1")
        self.line(d + 2, f"if (acc[i] > {r.randint(10, 90)} && i != {r.randint(0, 3)})")
        self.line(d + 2, "{")
        self.line(d + 3, f"g_total = g_total + add2(i, {r.randint(1, 9)})")
        self.line(d + 2, "}")
        self.line(d + 2, "else")
        self.line(d + 2, "{")
        self.line(d + 3, "break")
        self.line(d + 2, "}")
        self.line(d + 1, "}")
        self.line(d + 1, "switch (i % 3)")
        self.line(d + 1, "{")
        self.line(d + 2, "case 0:")
        self.line(d + 2, "{")
        self.line(d + 3, f"g_total = g_total - {n % 97}")
        self.line(d + 2, "}")
        self.line(d + 2, "break")
        self.line(d + 2, "default:")
        self.line(d + 2, "{")
        self.line(d + 3, "g_total = g_total + 1")
        self.line(d + 2, "}")
        self.line(d + 1, "}")
        self.line(d, "}")

    def klass(self, d):
        """A class with two members, a constructor and a method."""
        n = self.next_id()
        self.line(d, f"class Counter_{n}")
        self.line(d, "{")
        self.line(d + 1, "int count")
        self.line(d + 1, "int step")
        self.line(d + 1, f"void Counter_{n}()")
        self.line(d + 1, "{")
        self.line(d + 2, f"step = {self.rng.randint(1, 9)}")
        self.line(d + 1, "}")
        self.line(d + 1, "int bump(int k)")
        self.line(d + 1, "{")
        self.line(d + 2, "count = count + k * step")
        self.line(d + 2, "return count")
        self.line(d + 1, "}")
        self.line(d, "}")

    def code_chunk(self, d):
        if self.rng.random() < 0.8:
            self.program(d)
        else:
            self.klass(d)

    def call(self, d):
        if self.one_line:
            return
        n = self.next_id()
        self.line(d, f"outer(FnA_{n}, 函数B_{n})")

    def chunk(self, d):
        if self.programs_only:
            self.code_chunk(d)
            return
        p = self.rng.random()
        if p < 0.03:
            self.code_chunk(d)
        elif p < 0.62:
            self.module(d, self.rng.randint(0, 3))
        elif p < 0.74:
            self.define(d)
        elif p < 0.82:
            self.zrect(d)
        elif p < 0.84:
            self.background(d)
        elif p < 0.94:
            self.skipped_block(d)
        else:
            self.comment(d, f"' {self.rng.choice(NOTES)} {self.rng.randint(0, 9999)}")

    # --- rendering ---------------------------------------------------------------------------

    def render(self, start):
        """The text of lines[start:], as bytes."""
        if self.one_line:
            parts = [code for (_, code, _) in self.lines[start:] if code is not None]
            return (" ".join(parts) + " ").encode("utf-8") if parts else b""
        out = []
        for depth, code, note in self.lines[start:]:
            pad = "    " * depth
            if code is None:
                out.append(f"{pad}{note}\n")
            elif note:
                out.append(f"{pad}{code} ' {note}\n")
            else:
                out.append(f"{pad}{code}\n")
        return "".join(out).encode("utf-8")


def generate(size, one_line, skipped, seed, programs_only=False):
    s = Scene(random.Random(seed), one_line, skipped, programs_only)
    if not one_line:
        s.comment(0, "' 合成场景 -- a synthetic scene for the benchmark (bench/gen_scene.py).")
    s.line(0, "script")
    s.line(0, "{")
    s.line(1, "version { 1.25 }")
    if programs_only:
        s.code_prelude(1)
    else:
        s.line(1, "define { N 3 }")
        s.line(1, "define { R 2.5 }")
        # The functions before the background: in the current reader a background followed on
        # the same line by a call-shaped word reads a wrong colour count (matters for --one-line).
        s.functions(1)
        s.code_prelude(1)
        s.background(1)
    head = s.render(0)
    body = [head]
    total = len(head)
    tail = b"}\n" if not one_line else b"}"
    # About 8 calls per MiB, evenly spread; at least one in a small file.
    interval = min(131072, max(size // 2, 1))
    next_call = interval // 2
    limit = size - len(tail) - 64  # room for the pad
    while True:
        mark = len(s.lines)
        if total >= next_call and not programs_only:
            s.call(1)
            next_call += interval
        else:
            s.chunk(1)
        piece = s.render(mark)
        if total + len(piece) > limit:
            del s.lines[mark:]
            break
        body.append(piece)
        total += len(piece)
    pad = size - total - len(tail)
    if pad < 0:
        raise SystemExit(f"gen_scene: size {size} is too small")
    if one_line:
        body.append(b" " * pad)
    elif pad >= 4:
        body.append(b"'" + b"." * (pad - 2) + b"\n")
    else:
        body.append(b"\n" * pad)
    body.append(tail)
    data = b"".join(body)
    assert len(data) == size, (len(data), size)
    return data, s


SCENE_OBJECT_WORDS = ("animation", "step", "sequence", "fault", "generator", "sky", "texture", "light",
                      "route", "message", "projector", "stencil", "chart", "table", "body", "wrench",
                      "nut")


def count_kept(s):
    """Modules, calls and skipped blocks in the lines kept (rendering order, after rollback)."""
    modules = calls = skipped = 0
    for _, code, _ in s.lines:
        if code is None or code.startswith("module m {"):  # the body of outer builds no module itself
            continue
        if code.startswith("module "):
            modules += 1
        elif code.startswith("outer(F"):
            calls += 1
            modules += 2
        elif code.startswith(SCENE_OBJECT_WORDS):
            skipped += 1
    return modules, calls, skipped


def main(argv):
    ap = argparse.ArgumentParser(description="Write a synthetic scene script of SIZE_BYTES bytes.")
    ap.add_argument("size", type=int)
    ap.add_argument("out")
    ap.add_argument("--one-line", action="store_true")
    ap.add_argument("--no-skipped", action="store_true")
    ap.add_argument("--seed", type=int, default=20240611)
    ap.add_argument("--stats", action="store_true")
    ap.add_argument("--programs", action="store_true")
    a = ap.parse_args(argv)
    data, s = generate(a.size, a.one_line, not a.no_skipped, a.seed, a.programs)
    with open(a.out, "wb") as f:
        f.write(data)
    if a.stats:
        modules, calls, skipped = count_kept(s)
        print(f"modules={modules} calls={calls} skipped={skipped} bytes={len(data)}")


if __name__ == "__main__":
    main(sys.argv[1:])
