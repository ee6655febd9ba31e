#!/usr/bin/env python3
"""Writes a synthetic Lua 5.4 chunk of an exact size in bytes, the yardstick for the reader.

    gen_lua.py SIZE_BYTES OUT [--seed N] [--programs]

The shape follows the scenes of gen_scene.py: nested tables (1 to 4 deep) standing for modules,
with Chinese and ASCII names, numbers, strings holding Chinese text, braces and commas, line
comments and block comments, and functions whose bodies call one another. UTF-8, deterministic,
padded to exactly SIZE_BYTES; `luac5.4 -p` accepts it.

--programs writes the Lua twin of gen_scene.py --programs: the same loops, arrays, branches,
calls and switches as global functions (one per block), and the classes as tables of methods.
"""

import argparse
import random
import sys

CN_STEMS = ["泵站", "阀门", "水箱", "管道", "电机", "仪表", "冷却塔", "控制柜"]
ASCII_STEMS = ["Pump", "Valve", "Tank", "Pipe", "Motor", "Gauge", "Tower", "Panel"]
NOTES = ["检查压力", "outlet side", "注意: 流量", "kept for the lesson", "第二阶段", "to do"]
WORDS = ["开启", "关闭", "阀门", "start", "stop", "流量", "pressure", "水位"]


class Chunk:
    def __init__(self, rng):
        self.rng = rng
        self.serial = 0

    def next_id(self):
        self.serial += 1
        return self.serial

    def text(self):
        r = self.rng
        return f'"{r.choice(WORDS)} {{{r.choice(WORDS)}}}, {r.choice(WORDS)} {r.randint(0, 99)}"'

    def note(self):
        return f" -- {self.rng.choice(NOTES)}" if self.rng.random() < 0.15 else ""

    def module(self, d, depth_left, out):
        r = self.rng
        pad = "  " * d
        n = self.next_id()
        name = f"{r.choice(CN_STEMS)}{n}" if r.random() < 0.5 else f"{r.choice(ASCII_STEMS)}_{n}"
        if r.random() < 0.3:
            out.append(f"{pad}-- {r.choice(NOTES)}\n")
        out.append(f'{pad}["{name}"] = {{{self.note()}\n')
        for _ in range(r.randint(1, 4)):
            p = r.random()
            q = pad + "  "
            if p < 0.3:
                out.append(f"{q}N_{self.next_id()} = {r.randint(1, 999)},{self.note()}\n")
            elif p < 0.55:
                out.append(f'{q}zrect = {{ bitmap = "z{n}.bmp", field = "/scene/z{n}", '
                           f"position = {{ {r.randint(0, 800)}, {r.randint(0, 600)} }}, "
                           f"size = {{ {r.randint(1, 300)}, {r.randint(1, 200)} }}, "
                           f"transparency = 0.{r.randint(0, 9)} }},\n")
            elif p < 0.65:
                vals = ", ".join(str(r.randint(0, 360)) for _ in range(r.randint(4, 12)))
                out.append(f"{q}button = {{ name = \"b{n}\", tip = {self.text()},\n")
                out.append(f"{q}  reaction = {{ mode = \"click\", values = {{ {vals} }},\n")
                out.append(f"{q}    run = function(self, v) return inner(self, v * 2) + {r.randint(1, 9)} end }} }},\n")
            elif p < 0.7:
                out.append(f"{q}--[[ {r.choice(NOTES)} {{ }} ]]\n")
            elif depth_left > 0:
                self.module(d + 1, depth_left - 1, out)
            else:
                out.append(f"{q}R_{self.next_id()} = {r.randint(0, 99)}.{r.randint(0, 9)},\n")
        out.append(f"{pad}}},\n")

    def piece(self):
        """One top-level statement."""
        r = self.rng
        out = []
        p = r.random()
        n = self.next_id()
        if p < 0.75:
            out.append(f"scene[{n}] = {{\n")
            self.module(1, r.randint(0, 3), out)
            out.append("}\n")
        elif p < 0.85:
            out.append(f"function f{n}(a, b)\n")
            out.append(f"  local t = {{ a, b, {self.text()} }} -- {r.choice(NOTES)}\n")
            out.append(f"  if a > b then return outer(t, a) else return inner(t, b) end\n")
            out.append("end\n")
        elif p < 0.93:
            vals = ", ".join(f"{r.randint(0, 99)}.{r.randint(0, 9)}" for _ in range(r.randint(4, 16)))
            out.append(f"variables.v{n} = {{ type = \"float\", values = {{ {vals} }}, text = {self.text()} }}\n")
        else:
            out.append(f"-- {r.choice(NOTES)} {r.randint(0, 9999)}\n")
        return "".join(out).encode("utf-8")


class CodeChunk:
    """The Lua form of gen_scene.py's program blocks and classes (same shapes, same sizes)."""

    def __init__(self, rng):
        self.rng = rng
        self.serial = 0

    def program(self):
        r = self.rng
        self.serial += 1
        n = self.serial
        k = r.randint(4, 16)
        return (f"function program_{n}()\n"
                f"  local i = 0\n"
                f"  local acc = {{}}\n"
                f"  for j = 0, {k - 1} do\n"
                f"    acc[j] = j * {r.randint(2, 9)} + {r.randint(1, 99)}\n"
                f"    i = j + 1\n"
                f"  end\n"
                f"  while i > 0 do\n"
                f"    i = i - 1\n"
                f"    if acc[i] > {r.randint(10, 90)} and i ~= {r.randint(0, 3)} then\n"
                f"      g_total = g_total + add2(i, {r.randint(1, 9)})\n"
                f"    else\n"
                f"      break\n"
                f"    end\n"
                f"  end\n"
                f"  local sw = i % 3\n"
                f"  if sw == 0 then\n"
                f"    g_total = g_total - {n % 97}\n"
                f"  else\n"
                f"    g_total = g_total + 1\n"
                f"  end\n"
                f"end\n")

    def klass(self):
        self.serial += 1
        n = self.serial
        return (f"Counter_{n} = {{}}\n"
                f"Counter_{n}.__index = Counter_{n}\n"
                f"function Counter_{n}.new()\n"
                f"  local self = setmetatable({{ count = 0, step = 0 }}, Counter_{n})\n"
                f"  self.step = {self.rng.randint(1, 9)}\n"
                f"  return self\n"
                f"end\n"
                f"function Counter_{n}:bump(k)\n"
                f"  self.count = self.count + k * self.step\n"
                f"  return self.count\n"
                f"end\n")

    def piece(self):
        return (self.program() if self.rng.random() < 0.8 else self.klass()).encode("utf-8")


def generate_programs(size, seed):
    c = CodeChunk(random.Random(seed))
    head = ("-- 合成场景 -- program blocks for the compile benchmark (bench/gen_lua.py --programs).\n"
            "g_total = 0\n"
            "local function add2(a, b)\n  return a + b\nend\n").encode("utf-8")
    tail = b"return g_total\n"
    body = [head]
    total = len(head)
    limit = size - len(tail) - 16
    while True:
        p = c.piece()
        if total + len(p) > limit:
            break
        body.append(p)
        total += len(p)
    pad = size - total - len(tail)
    body.append(b"--" + b"." * (pad - 3) + b"\n" if pad >= 3 else b"\n" * pad)
    body.append(tail)
    data = b"".join(body)
    assert len(data) == size, (len(data), size)
    return data


def generate(size, seed):
    c = Chunk(random.Random(seed))
    head = ("-- 合成场景 -- a synthetic Lua chunk for the benchmark (bench/gen_lua.py).\n"
            "local scene, variables = {}, {}\n"
            "local function inner(t, n) return #t + n end\n"
            "local function outer(t, n)\n  return inner(t, n) * 2 -- calls inner\nend\n").encode("utf-8")
    tail = b"return scene, variables\n"
    body = [head]
    total = len(head)
    limit = size - len(tail) - 16
    while True:
        p = c.piece()
        if total + len(p) > limit:
            break
        body.append(p)
        total += len(p)
    pad = size - total - len(tail)
    if pad < 0:
        raise SystemExit(f"gen_lua: size {size} is too small")
    body.append(b"--" + b"." * (pad - 3) + b"\n" if pad >= 3 else b"\n" * pad)
    body.append(tail)
    data = b"".join(body)
    assert len(data) == size, (len(data), size)
    return data


def main(argv):
    ap = argparse.ArgumentParser(description="Write a synthetic Lua chunk of SIZE_BYTES bytes.")
    ap.add_argument("size", type=int)
    ap.add_argument("out")
    ap.add_argument("--seed", type=int, default=20240611)
    ap.add_argument("--programs", action="store_true")
    a = ap.parse_args(argv)
    with open(a.out, "wb") as f:
        f.write(generate_programs(a.size, a.seed) if a.programs else generate(a.size, a.seed))


if __name__ == "__main__":
    main(sys.argv[1:])
